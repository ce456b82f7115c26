#pragma once

#include <map>
#include <string>

#include "constants/ResourceNames.h"

// Grade (0 Golden, 1 Silver, 2 Bronze, 3 Steel, 4 Obsidian) to the names of
// its award texts. Readers iterate in key order, Golden first. Built after the
// names they point at (inline variables of the header included above).

namespace ZQ::ResourceNames {

inline const std::map<int, const std::string*> tanglesByGrade{
    {0, &tangles_Golden}, {1, &tangles_Silver},   {2, &tangles_Bronze},
    {3, &tangles_Steel},  {4, &tangles_Obsidian},
};

inline const std::map<int, const std::string*> unknotByGrade{
    {0, &unknot_Golden}, {1, &unknot_Silver}, {2, &unknot_Bronze}, {3, &unknot_Steel}, {4, &unknot_Obsidian},
};

} // namespace ZQ::ResourceNames
