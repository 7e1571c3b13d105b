// The counts per candidate group of the signs at each place (PlaceCounts), at each pair of
// places (PairCounts) and at each triple of places (TripleCounts), and the groups' sizes: made
// from the candidates when the groups are made and after every answer that thins them. Summed
// over a trial code's signs they give every group's total of P, and per M-class the second and
// third moments of P, before a candidate is counted (group_class_sums.h).
#pragma once

#include <cstdint>

// The place counts and sizes of every group, from the candidates themselves, then the pair
// counts (where they are kept) and the triple counts (where they now take little memory);
// everything behind the last group is zero. False when a break-off waits.
bool CountPlaces();
// Whether pair counts for this many groups could be kept at all, a byte a count: groups laid out
// anew for fewer candidates gain little else.
bool PairsMayFit(int32_t groups);
