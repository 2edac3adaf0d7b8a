#pragma once
// What each column of Verdalis's node importance and component files
// means, with its unit, for legends and charts: "dPC" is "% of PC lost when
// the patch is removed". The d columns are percentages of the landscape's
// index, the var columns the same loss in the index's own unit. For a
// candidate patch (the rows after the existing ones) the d and var values
// are the gains when it is added.
#include <string>

namespace verdalis::gis {

// The meaning of a result column; empty for a column it does not know.
std::string columnMeaning(const std::string& column);

}  // namespace verdalis::gis
