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

// The sum of squared deviations of any run of sorted values, from prefix sums.
class spreads {
 public:
  explicit spreads(const std::vector<double>& sorted) : sum_(sorted.size() + 1, 0.0), squares_(sorted.size() + 1, 0.0) {
    for (std::size_t i = 0; i < sorted.size(); ++i) {
      sum_[i + 1] = sum_[i] + sorted[i];
      squares_[i + 1] = squares_[i] + sorted[i] * sorted[i];
    }
  }
  double operator()(std::size_t from, std::size_t to) const {  // values from..to-1
    const double s = sum_[to] - sum_[from];
    return squares_[to] - squares_[from] - s * s / static_cast<double>(to - from);
  }

 private:
  std::vector<double> sum_, squares_;
};

// Jenks' dynamic programme: cost[k][i] is the least sum of squared deviations
// of the first i values cut into k classes. The end (exclusive) of each class.
std::vector<std::size_t> naturalEnds(const std::vector<double>& sorted, int classes) {
  const std::size_t m = sorted.size();
  const std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(classes), m);
  const spreads spread(sorted);
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
  std::vector<std::size_t> ends;
  for (std::size_t c = k, i = m; c > 0; i = cut[c][i], --c) ends.push_back(i);
  std::reverse(ends.begin(), ends.end());
  return ends;
}

// The position in the full sorted values of order statistic k of the
// thinned ones: at most limit evenly spaced, the smallest and largest kept.
std::size_t thinnedPosition(std::size_t k, std::size_t size, std::size_t limit) {
  return size <= limit ? k : k * (size - 1) / (limit - 1);
}

// Natural breaks of many values: Jenks on the thinned values, then each cut
// moved to its best place among the values the thinning skipped on either
// side of it, with its neighbouring cuts held. Without that, a value far
// above the rest would share its class with the values skipped just below
// it, which is the very patch natural breaks should set apart.
std::vector<double> naturalBreaks(const std::vector<double>& sorted, int classes, std::size_t limit) {
  const std::size_t n = sorted.size();
  std::vector<double> kept(std::min(n, limit));
  for (std::size_t k = 0; k < kept.size(); ++k) kept[k] = sorted[thinnedPosition(k, n, limit)];
  const std::vector<std::size_t> thinEnds = naturalEnds(kept, classes);
  std::vector<std::size_t> ends;  // in the full values
  for (std::size_t e : thinEnds) ends.push_back(e == kept.size() ? n : thinnedPosition(e, n, limit));
  const spreads spread(sorted);
  for (std::size_t c = 0; c + 1 < ends.size(); ++c) {
    // The class ends after the last kept value of its own and at the latest
    // before the first kept value of the next.
    const std::size_t from = c == 0 ? 0 : ends[c - 1], to = ends[c + 1];
    const std::size_t earliest = thinnedPosition(thinEnds[c] - 1, n, limit) + 1;
    auto cost = [&](std::size_t end) { return spread(from, end) + spread(end, to); };
    std::size_t best = ends[c];
    for (std::size_t end = earliest; end < ends[c]; ++end)
      if (cost(end) < cost(best)) best = end;
    ends[c] = best;
  }
  std::vector<double> upper;
  for (std::size_t end : ends) upper.push_back(sorted[end - 1]);
  upper.erase(std::unique(upper.begin(), upper.end()), upper.end());
  return upper;
}
}  // namespace

std::vector<double> classBreaks(std::vector<double> values, int classes, breakMethod method) {
  if (values.empty() || classes < 1) return {};
  std::sort(values.begin(), values.end());
  if (method == breakMethod::quantile) return quantileBreaks(values, classes);
  return naturalBreaks(values, classes, 2000);
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
