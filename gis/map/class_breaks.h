#pragma once
// Class limits for a map: quantiles (about as many patches in each class) or
// natural breaks (Jenks: classes that keep the spread within each class
// least). Quantiles cost a sort; natural breaks cost k·m² on m sorted values,
// with m capped by taking evenly spaced order statistics of larger sets, each
// limit then placed best among the values skipped beside it (linear).
#include <vector>

namespace verdalis::gis {

enum class breakMethod { quantile, natural };

// The upper limit of each class, ascending; the last is the largest value.
// Fewer classes than asked when the values have fewer distinct levels. The
// values must be finite; none gives no class.
std::vector<double> classBreaks(std::vector<double> values, int classes, breakMethod method);

// The class of a value: the first whose upper limit it does not exceed.
int classOf(double value, const std::vector<double>& upperLimits);

// The default: natural breaks for skewed values, whose skewness (the third
// standardised moment) lies beyond ±kSkewedFrom, where quantile classes
// would put a few dominant patches with ordinary ones; quantiles otherwise.
constexpr double kSkewedFrom = 1.0;
// NaN with fewer than three values or values all equal; summed in order.
double skewness(const std::vector<double>& values);
breakMethod breaksFor(double skewness);

}  // namespace verdalis::gis
