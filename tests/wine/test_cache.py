"""The protected cache's folders and copies, made by the setup program's own platform code
(vtrcachetool runs it one operation at a time), checked as an administrator would: who may
change a folder made for the cache, that no link on the way to it is followed, that a copy is
its source to the bit, and that a copy that fails leaves nothing behind.

What Wine can show: it keeps no access lists on files but maps them to Unix mode bits, and
reads back an owner entry, the system account and Everyone (when others may read or write);
it reports a symbolic link to a folder as a reparse point by its name (not through a handle)
and cannot show a link to a file; deleting a link deletes what it points to."""

import hashlib
import json
import os
import shutil

from harness import SHIP, TOOLS, check, check_equal, wine_test

CACHE = "C:\\ProgramData\\Vantora\\Setup Cache\\VTRPRO_3"
TOOL = TOOLS + "\\vtrcachetool.exe"

# Access rights that let a holder change a folder or what is in it: write data or add a file,
# append or add a folder, extended attributes, delete a child, attributes, delete, change the
# access list or the owner, and the generic all and write.
WRITE_RIGHTS = 0x2 | 0x4 | 0x10 | 0x40 | 0x100 | 0x10000 | 0x40000 | 0x80000 | 0x10000000 \
    | 0x40000000
RIGHT_NAMES = {"FA": 0x1F01FF, "FR": 0x120089, "FX": 0x1200A0, "FW": 0x100116, "GA": 0x10000000,
               "GR": 0x80000000, "GW": 0x40000000, "GX": 0x20000000, "RC": 0x20000,
               "SD": 0x10000, "WD": 0x40000, "WO": 0x80000}
TRUSTED = {"SY", "BA"}


def run_tool(machine, *commands, file_size_limit=None):
    """Runs vtrcachetool with the commands; returns its JSON lines."""
    tool = machine.path(TOOL)
    if not tool.exists():
        shutil.copy2(machine.env.build / "tests" / "wine" / "vtrcachetool.exe", tool)
    done = machine.wine(TOOL, *commands, file_size_limit=file_size_limit)
    text = done.stdout.decode("utf-8", "replace")
    (machine.artifacts / "cache-tool.jsonl").open("a").write(text)
    lines = [json.loads(line) for line in text.splitlines() if line.startswith("{")]
    check_equal(done.returncode, 0, f"vtrcachetool's exit status ({done.stderr!r})")
    return lines


def rights(text):
    if text.startswith("0x"):
        return int(text, 16)
    pairs = [text[i:i + 2] for i in range(0, len(text), 2)]
    # A right this reader does not know counts as a write.
    return sum(RIGHT_NAMES.get(pair, WRITE_RIGHTS) for pair in pairs)


def writers(sddl):
    """The accounts other than the system account, Administrators and the owner that an
    access list (SDDL) lets change the folder, with the rights; and whether an entry is
    inherited from above."""
    owner = sddl.split("O:", 1)[1].split("D:", 1)[0] if "O:" in sddl else ""
    entries = [entry.split(";") for entry in sddl.split("D:", 1)[1].strip("PAI").split("(")[1:]]
    found = []
    for kind, flags, granted, _, _, sid in (entry[:6] for entry in entries):
        sid = sid.rstrip(")")
        check("ID" not in flags, f"an entry of {sddl} is inherited from above")
        if kind == "A" and sid not in TRUSTED | {owner} and rights(granted) & WRITE_RIGHTS:
            found.append((sid, granted))
    check(owner not in {"WD", "BU", "AU", "S-1-1-0", "S-1-5-32-545"},
          f"{sddl}: everyone or every user owns the folder")
    return found


def result(lines, command, path):
    matches = [line for line in lines if line.get("do") == command and line.get("path") == path]
    check_equal(len(matches), 1, f"reports of {command} {path}")
    return matches[0]


@wine_test
def the_cache_folder_lets_no_user_change_it_and_is_never_made_through_a_link(machine):
    # A folder every user may change, made before setup ran (as anyone may under ProgramData),
    # and a folder name that is a link to a folder of the users' own.
    prepared = machine.path("C:\\ProgramData\\Vantora")
    prepared.mkdir()
    os.chmod(prepared, 0o777)
    theirs = machine.path("C:\\users\\Public\\Shared")
    theirs.mkdir(parents=True, exist_ok=True)
    machine.path("C:\\ProgramData\\Linked").symlink_to(theirs)
    linked = "C:\\ProgramData\\Linked\\Setup Cache"
    before = run_tool(machine, "access", "C:\\ProgramData\\Vantora")[0]["sddl"]
    check(writers(before), f"the prepared folder should let everyone change it first: {before}")
    lines = run_tool(machine, "protect", "C:\\ProgramData\\Vantora",
                     "access", "C:\\ProgramData\\Vantora", "protect", CACHE,
                     "access", "C:\\ProgramData\\Vantora\\Setup Cache", "access", CACHE,
                     "protect", linked, "haslink", linked, "haslink", CACHE,
                     "copy", "C:\\windows\\win.ini", "C:\\ProgramData\\Linked", "win.ini")
    for line in lines:
        if line.get("do") == "protect" and line["path"] != linked:
            check(line.get("ok"), f"protecting {line['path']}: {line}")
        if line.get("do") == "access":
            check_equal(writers(line["sddl"]), [], f"who else may change {line['path']}")
    for folder in ("C:\\ProgramData\\Vantora", "C:\\ProgramData\\Vantora\\Setup Cache", CACHE):
        mode = machine.path(folder).stat().st_mode
        check(not mode & 0o002, f"{folder} may be changed by others (mode {mode:o})")

    refused = result(lines, "protect", linked)
    check("C:\\ProgramData\\Linked is a link" in refused.get("description", ""),
          f"the link above the folder is not named as the reason: {refused}")
    check_equal(result(lines, "haslink", linked)["link"], True, "a link above the folder")
    check_equal(result(lines, "haslink", CACHE)["link"], False, "a link on the cache's path")
    copied = result(lines, "copy", "C:\\windows\\win.ini")
    check("is a link" in copied.get("description", ""), f"a copy into a link: {copied}")
    check_equal(sorted(os.listdir(theirs)), [], "what setup made in the linked folder")


@wine_test
def a_cache_copy_is_its_source_to_the_bit_and_a_failed_one_changes_nothing(machine):
    media = machine.path(SHIP)
    media.mkdir(parents=True)
    sources = {"vtr3p.msi": os.urandom(3 << 20), "vtr3db.msi": os.urandom(3 << 20) + b"db"}
    for name, data in sources.items():
        (media / name).write_bytes(data)
    # Both copies at once, as setup makes them.
    lines = run_tool(machine, "protect", CACHE,
                     *[word for name in sources for word in ("copy", f"{SHIP}\\{name}", CACHE,
                                                             name)], "digests")
    cache = machine.path(CACHE)
    for name, data in sources.items():
        digest = [line for line in lines if line.get("copy") == name]
        check_equal(digest, [{"copy": name, "sha256": hashlib.sha256(data).hexdigest()}],
                    f"the digest of the copy of {name}")
        check((cache / name).read_bytes() == data, f"the copy of {name} differs from its source")
    # A copy of the copy itself (a setup started from the cache caches itself) is the file
    # as it is.
    again = run_tool(machine, "copy", f"{CACHE}\\vtr3p.msi", CACHE, "vtr3p.msi", "digests")
    check_equal(again[-1], {"copy": "vtr3p.msi",
                            "sha256": hashlib.sha256(sources["vtr3p.msi"]).hexdigest()},
                "the digest of a copy of the copy itself")

    # A copy over the older one that fails part-way (the disk full under it) leaves the
    # older copy as it was and no half-written file.
    (media / "vtr3p.msi").write_bytes(os.urandom(3 << 20))
    failed = run_tool(machine, "copy", f"{SHIP}\\vtr3p.msi", CACHE, "vtr3p.msi", "digests",
                      file_size_limit=1 << 20)
    reported = [line for line in failed if line.get("copy") == "vtr3p.msi"]
    check(len(reported) == 1 and f"writing the copy {CACHE}\\vtr3p.msi failed"
          in reported[0].get("description", ""), f"the failed copy's report: {failed}")
    check_equal(sorted(os.listdir(cache)), sorted(sources), "the files in the cache")
    check((cache / "vtr3p.msi").read_bytes() == sources["vtr3p.msi"],
          "the older copy was changed by the copy that failed")

    # Removing the cache never walks into a link inside it: what the link points to stays
    # (Windows removes the link itself; Wine, which deletes what a link points to, cannot,
    # and the removal fails on the folder that is not empty).
    kept = machine.path("C:\\users\\Public\\Kept")
    kept.mkdir(parents=True, exist_ok=True)
    (kept / "theirs.txt").write_text("not setup's")
    (cache / "linked").symlink_to(kept)
    os.chmod(cache / "vtr3db.msi", 0o444)  # read-only
    run_tool(machine, "remove-tree", "C:\\ProgramData\\Vantora")
    check_equal(sorted(os.listdir(kept)), ["theirs.txt"], "the folder a link in the cache names")
    (cache / "linked").unlink()
    removed = run_tool(machine, "remove-tree", "C:\\ProgramData\\Vantora")
    check_equal(removed[0].get("ok"), True, f"removing the cache: {removed}")
    check(not machine.path("C:\\ProgramData\\Vantora").exists(), "the cache is still there")
