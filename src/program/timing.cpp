#include <string>

#include "program/quivaraProgram.h"

namespace verdalis {

// Strict thresholds: exactly 60 seconds stays "60 seconds", exactly one hour
// shows as 60 minutes, exactly one day as 24 hours.
std::string durationText(long long seconds) {
  long long days = 0, hours = 0, minutes = 0;
  if (seconds > 86400) {
    days = seconds / 86400;
    seconds -= days * 86400;
  }
  if (seconds > 3600) {
    hours = seconds / 3600;
    seconds -= hours * 3600;
  }
  if (seconds > 60) {
    minutes = seconds / 60;
    seconds -= minutes * 60;
  }
  std::string text;
  if (days != 0) text += " " + std::to_string(days) + " days";
  if (hours != 0) text += " " + std::to_string(hours) + " hours";
  if (minutes != 0) text += " " + std::to_string(minutes) + " minutes";
  return text + " " + std::to_string(seconds) + " seconds\n";
}

}  // namespace verdalis
