#pragma once
// The processing time spent on each selected index, for the run log.
// Included from program_impl.h only.
#include <ctime>
#include <string>

#include "program/quivaraProgram.h"

namespace verdalis {

// Whole seconds of a millisecond accumulator, truncated.
inline long long wholeSeconds(std::clock_t milliseconds) {
  return static_cast<long long>(static_cast<double>(milliseconds) / 1000.0);
}

template <class T>
std::string quivaraProgram<T>::show_time_proces() {
  std::string text = "Processing time for indices:\n";
  if (nlFlag) text += "NL: " + durationText(wholeSeconds(nlTime));
  if (ncFlag) text += "NC: " + durationText(wholeSeconds(ncTime));
  if (hFlag && iicFlag) {
    // H and IIC come from one search; each is shown with half of it.
    const long long half = wholeSeconds(hiicTime) / 2;
    text += "H: " + durationText(half);
    text += "IIC: " + durationText(half);
  }
  if (hFlag && !iicFlag) text += "H: " + durationText(wholeSeconds(hTime));
  if (ccpFlag) text += "CCP: " + durationText(wholeSeconds(ccpTime));
  if (lcpFlag) text += "LCP: " + durationText(wholeSeconds(lcpTime));
  if (iicFlag && !hFlag) text += "IIC: " + durationText(wholeSeconds(iicTime));
  if (fFlag) text += "F: " + durationText(wholeSeconds(fTime));
  if (awfFlag) text += "AWF: " + durationText(wholeSeconds(awfTime));
  if (pcFlag) text += "PC: " + durationText(wholeSeconds(pcTime));
  if (bcFlag) text += "BC: " + durationText(wholeSeconds(bcTime));
  if (bciicFlag) text += "BC_IIC: " + durationText(wholeSeconds(bciicTime));
  if (bcpcFlag) text += "BC_PC: " + durationText(wholeSeconds(bcpcTime));
  return text;
}

}  // namespace verdalis
