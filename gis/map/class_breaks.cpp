// Quantile and natural-break class limits.
#include "map/class_breaks.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace verdalis::gis {

namespace {
std::vector<double> quantileBreaks(const std::vector<double>& sorted, int classes) {
  std::vector<double> upper;
  const std::size_t n = sorted.size();
  for (int k = 1; k <= classes; ++k) {
    const std::size_t rank = (static_cast<std::size_t>(k) * n + classes - 1) / classes;  // ceil(k n / classes)
    const double limit = sorted[std::max<std::size_t>(rank, 1) - 1];
    if (upper.empty() || limit > upper.back()) upper.push_back(limit);
  }
  return upper;
}

// Jenks' dynamic programme: cost[k][i] is the least sum of squared deviations
// of the first i values cut into k classes.
std::vector<double> naturalBreaks(const std::vector<double>& sorted, int classes) {
  const std::size_t m = sorted.size();
  const std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(classes), m);
  std::vector<double> sum(m + 1, 0.0), squares(m + 1, 0.0);
  for (std::size_t i = 0; i < m; ++i) {
    sum[i + 1] = sum[i] + sorted[i];
    squares[i + 1] = squares[i] + sorted[i] * sorted[i];
  }
  auto spread = [&](std::size_t from, std::size_t to) {  // values from..to-1
    const double s = sum[to] - sum[from];
    return squares[to] - squares[from] - s * s / static_cast<double>(to - from);
  };
  const double none = std::numeric_limits<double>::infinity();
  std::vector<std::vector<double>> cost(k + 1, std::vector<double>(m + 1, none));
  std::vector<std::vector<std::size_t>> cut(k + 1, std::vector<std::size_t>(m + 1, 0));
  cost[0][0] = 0.0;
  for (std::size_t c = 1; c <= k; ++c)
    for (std::size_t i = c; i <= m; ++i)
      for (std::size_t j = c - 1; j < i; ++j) {
        const double total = cost[c - 1][j] + spread(j, i);
        if (total < cost[c][i]) cost[c][i] = total, cut[c][i] = j;
      }
  std::vector<double> upper;
  for (std::size_t c = k, i = m; c > 0; i = cut[c][i], --c) upper.push_back(sorted[i - 1]);
  std::reverse(upper.begin(), upper.end());
  upper.erase(std::unique(upper.begin(), upper.end()), upper.end());
  return upper;
}

// At most limit evenly spaced order statistics, the smallest and largest kept.
std::vector<double> thinned(const std::vector<double>& sorted, std::size_t limit) {
  if (sorted.size() <= limit) return sorted;
  std::vector<double> kept(limit);
  for (std::size_t k = 0; k < limit; ++k) kept[k] = sorted[k * (sorted.size() - 1) / (limit - 1)];
  return kept;
}
}  // namespace

std::vector<double> classBreaks(std::vector<double> values, int classes, breakMethod method) {
  if (values.empty() || classes < 1) return {};
  std::sort(values.begin(), values.end());
  if (method == breakMethod::quantile) return quantileBreaks(values, classes);
  std::vector<double> upper = naturalBreaks(thinned(values, 2000), classes);
  upper.back() = values.back();
  return upper;
}

int classOf(double value, const std::vector<double>& upperLimits) {
  const auto found = std::lower_bound(upperLimits.begin(), upperLimits.end(), value);
  if (found == upperLimits.end()) return static_cast<int>(upperLimits.size()) - 1;
  return static_cast<int>(found - upperLimits.begin());
}

double skewness(const std::vector<double>& values) {
  const double n = static_cast<double>(values.size());
  if (values.size() < 3) return std::numeric_limits<double>::quiet_NaN();
  double mean = 0;
  for (double v : values) mean += v;
  mean /= n;
  double second = 0, third = 0;
  for (double v : values) {
    const double d = v - mean;
    second += d * d;
    third += d * d * d;
  }
  second /= n;
  third /= n;
  return second > 0 ? third / std::pow(second, 1.5) : std::numeric_limits<double>::quiet_NaN();
}

breakMethod breaksFor(double skew) {
  return std::fabs(skew) > kSkewedFrom ? breakMethod::natural : breakMethod::quantile;
}

}  // namespace verdalis::gis
