// The steps that keep the protected cache: a file no longer needed deleted, the cache removed
// once nothing of the product is left.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/plan.h"
#include "engine/steps.h"
#include "platform/platform.h"

namespace vtr {

// The cache after a good run, as its last steps: an update deletes the full program package
// it replaced; removing the last product removes the cache.
void PlanCacheUpkeep(const Edition& e, const Request& r, const EngineFacts& f, bool programRuns,
                     Plan& plan);

// Removes the cache, letting go of the copies held since their check first (their runs have
// ended). The cached setup that runs from it moves itself aside and is deleted at the next
// restart; the folders above the cache go too once they are empty. Raises on failure.
void RemoveTheCache(Platform& p, const RemoveCache& step,
                    std::vector<std::unique_ptr<HeldFile>>& held);

// The box for a cache that could not be removed after the products were.
std::wstring CacheLeftText(const RemoveCache& step, const std::wstring& failure);

}  // namespace vtr
