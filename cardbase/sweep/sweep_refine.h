// Which steps of a sweep are measured, and in what order: a coarse pass
// first, every coarseStride-th step and the band's last; then fine steps
// only where the level rises or falls at a hump's edge, each the middle of
// the widest stretch left between the steps either side of the edge, until
// they are neighbours; and either side of a narrow hump's top. A carrier's
// middle and width come from its half-power edges (sweep_result.h), so they
// come out as a sweep of every step gives them, from a fraction of the
// steps. Platform-neutral.
#pragma once
#include <cstddef>
#include <vector>

#include "cardbase/sweep/sweep_result.h"

// The coarse pass's steps, as indices into the plan's frequencies, rising.
std::vector<size_t> coarseSweepSteps(const SweepPlan& plan);

constexpr size_t noSweepStep = static_cast<size_t>(-1);
// The next step the fine pass measures, given what was measured so far (the
// result's points, one per step of the plan) and what was tried (a step
// whose level did not come is not asked again), or noSweepStep once done.
size_t nextFineSweepStep(const SweepPlan& plan, const SweepResult& result, const std::vector<bool>& tried);
