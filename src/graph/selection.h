#pragma once

namespace verdalis {

// Selection helpers of the searches: the empty-set test and the untreated
// node of smallest distance (ties to the highest position, the running
// minimum kept in single precision).

bool conjuntBuitBFS(const bool* nodeT, int nElems);
int minValue(const int* minPath, const bool* nodeT, int nElems);

template <class T>
bool conjuntBuit(const bool* nodeT, int nElems) {
  for (int i = 0; i < nElems; ++i)
    if (!nodeT[i]) return false;
  return true;
}

template <class T>
int minValue(const T* minPath, const bool* nodeT, int nElems) {
  float minimum = 2147483648.0f;
  int selected = -1;
  for (int i = 0; i < nElems; ++i) {
    if (nodeT[i]) continue;
    if (minPath[i] <= static_cast<T>(minimum)) {
      selected = i;
      minimum = static_cast<float>(minPath[i]);
    }
  }
  return selected;
}

}  // namespace verdalis
