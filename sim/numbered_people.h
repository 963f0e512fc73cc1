#ifndef TOLVANE_SIM_NUMBERED_PEOPLE_H_
#define TOLVANE_SIM_NUMBERED_PEOPLE_H_

#include <string>

namespace tolvane::sim {

// The name of the index-th person (from 1) that AddNumberedPeople writes: a
// first name, a surname and the index, e.g. "Bertil Berg 12".
std::string NumberedPersonName(int index);

// Appends `count` people to Telelist of the phone-book database at `path`,
// numbered on from the people already there, in one transaction so that
// 100 000 of them take a fraction of a second.
void AddNumberedPeople(const std::string& path, int count);

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_NUMBERED_PEOPLE_H_
