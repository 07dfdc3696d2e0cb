// The candidate images of a directory and the random draw among them. The
// generator's state is program-wide and seeded afresh on every run.
#ifndef TARNWELL_SRC_IMAGES_H_
#define TARNWELL_SRC_IMAGES_H_

#include <cstdint>
#include <string>
#include <vector>

// Splits a blank-separated mask list; an item in double quotes may hold
// blanks, and two double quotes inside it stand for one.
std::vector<std::string> SplitMasks(const std::string& masks);

// Fills `list` with the visible plain files of `directory` that match the
// masks, mask by mask, each as the directory with a trailing delimiter and
// the file's name; true when it found at least one.
bool FindImageFiles(const std::string& directory, const std::string& masks,
                    std::vector<std::string>& list);

// The program-wide state of the pseudo-random generator.
extern uint32_t RandSeed;

// Seeds the generator from the performance counter, or the tick count.
void Randomize();

// Advances the generator and returns an index from 0 to count - 1.
uint32_t RandomIndex(uint32_t count);

#endif  // TARNWELL_SRC_IMAGES_H_
