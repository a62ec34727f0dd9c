// The protected cache of a run: setup and every file the run hands to another program, copied
// into a folder only administrators can change and checked there, before the first step.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "detect/run_facts.h"

namespace vtr {

// "1048576 bytes", or "size unknown" when Windows did not say.
std::wstring SizeText(const std::optional<uint64_t>& size);

// The files the run keeps in the cache, in the order they are copied: setup itself (unless it
// runs from the cache, or the run removes the cache), the packages handed on by file, and the
// database engine's installer when the run may start it.
std::vector<CachedFile> FilesToCache(const Edition& e, const Request& r, const EngineFacts& f,
                                     const std::vector<PackageId>& packages);

// Makes the cache, begins every copy at once, then checks each copy when it is whole: its
// SHA-256 against the digests the release recorded, then a package's product code, read from
// the copy only once its digest matched. A file already in the cache is held and checked in
// place. PLAN makes and copies nothing: it checks the files where they are. Fills the facts'
// cached files, checks and cache failure; the copies stay held in the run.
void CacheAndCheck(Platform& p, const Edition& e, const RunOptions& o, const Request& r,
                   const std::vector<PackageId>& packages, DetectedRun& run,
                   const std::function<OnError(const RunError&)>& handler);

}  // namespace vtr
