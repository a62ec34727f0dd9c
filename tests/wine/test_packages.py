"""The test packages: later tests install, update and remove the product with them, so they
must put their files where TARGETDIR says and carry the product codes the setup program
looks for."""

from harness import SHIP, check, check_equal, wine_test

DB_FILES = [
    "MainDB\\Vantora Contacts.vdb",
    "Documents\\Templates\\Envelopes\\Standard Envelope.env",
    "Documents\\Templates\\Envelopes\\Window Envelope.env",
    "Documents\\Templates\\Labels\\Address Labels (8160).lbl",
    "Documents\\Templates\\Reports\\Activity by Contact.rpt",
    "Documents\\Templates\\Reports\\Phone List by Company.rpt",
    "Documents\\Templates\\Reports\\Phone List by Contact.rpt",
]

ALREADY_INSTALLED = 1638  # another version of this product is already installed


def stamp(machine, path):
    return machine.path(path).read_text(encoding="ascii").strip()


@wine_test
def program_packages_install_into_targetdir_and_remove_cleanly(machine):
    machine.ship()
    for package, folder, edition_stamp in (("vtr3p", "C:\\Apps\\Vantora", "vtr3p 3.3.0"),
                                           ("vtr3l", "C:\\Apps\\Vantora Lite", "vtr3l 3.3.0")):
        msi = f"{SHIP}\\{package}.msi"
        check_equal(machine.msiexec("/i", msi, "/qn", f"TARGETDIR={folder}"), 0,
                    f"exit code of installing {package}.msi")
        check(machine.path(folder + "\\vtr3.exe").is_file(), f"{folder}\\vtr3.exe is missing")
        check_equal(stamp(machine, folder + "\\vtr3 package.txt"), edition_stamp,
                    f"package stamp after installing {package}.msi")
        # The update build is the same product (same product code), so it cannot be installed
        # beside it as a new product.
        check_equal(machine.msiexec("/i", f"{SHIP}\\{package}_update.msi", "/qn",
                                    f"TARGETDIR={folder}"),
                    ALREADY_INSTALLED, f"exit code of installing {package}_update.msi over it")
        check_equal(machine.msiexec("/x", msi, "/qn"), 0, f"exit code of removing {package}.msi")
        check(not machine.path(folder + "\\vtr3.exe").exists(),
              f"{folder}\\vtr3.exe is still there after the removal")


@wine_test
def database_packages_lay_out_the_data_folder(machine):
    machine.ship()

    def install(package, target):
        check_equal(machine.msiexec("/i", f"{SHIP}\\{package}.msi", "/qn", f"TARGETDIR={target}"),
                    0, f"exit code of installing {package}.msi")
        data = target + "\\Vantora Data\\"
        missing = [f for f in DB_FILES if not machine.path(data + f).is_file()]
        check_equal(missing, [], f"files missing under {data} after installing {package}.msi")
        version = "3.3.1" if package.endswith("_update") else "3.3.0"
        check_equal(stamp(machine, data + "MainDB\\vtr3db package.txt"), f"{package} {version}",
                    f"stamp of {package}.msi")

    install("vtr3db", "C:\\ProgramData")
    install("vtr3dbl_update", "C:\\Shared")
    check_equal(machine.msiexec("/x", f"{SHIP}\\vtr3db.msi", "/qn"), 0,
                "exit code of removing vtr3db.msi")
    check(not machine.path("C:\\ProgramData\\Vantora Data\\MainDB\\Vantora Contacts.vdb").exists(),
          "the database file is still there after removing vtr3db.msi")
    install("vtr3db_update", "C:\\ProgramData")
