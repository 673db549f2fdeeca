#pragma once
// What a soak's samples must show: the day's counts reached and the console's objects and memory
// flat after a warm-up. Platform-free, so the judgement itself is tested natively.
#include <cstdio>
#include <string>
#include <vector>

namespace teshmar::soak {

struct Sample {
  double seconds = 0;        // since the soak began
  long blinks = 0;           // Timer1 ticks
  long refreshes = 0;        // Timer3 ticks
  long warnings = 0;         // Timer4 ticks
  long dialogs = 0;          // link and customer dialogs opened and cancelled
  long long gdi = 0;         // GDI objects, window DCs left out where they are counted apart
  // Window device contexts and their regions, when counted apart (the console's own count under
  // Wine). Wine keeps a cache of them that grows to the most it ever needed at once and keeps
  // that size; it was seen to reach it anywhere in the first half of a day.
  long long windowDcs = 0;
  long long user = 0;        // USER objects (windows and menus)
  long long handles = 0;     // kernel handles
  long long privateKiB = 0;  // private memory
};

// How much a figure may exceed its warm-up value at the end. A quarter of it, gained in each half
// of the run with no sample ever lower than the one before, is steady growth too.
struct Tolerance {
  long long gdi = 8;
  long long windowDcs = 8;
  long long user = 4;
  long long handles = 8;
  long long privateKiB = 4096;
};

struct Flatness {
  size_t warm = 0, middle = 0, end = 0;  // indexes of the samples compared
  std::vector<std::string> faults;       // empty: flat
};

// The warm-up sample is the first taken at or after a tenth of the run, the middle one the first at
// or after half the time from warm-up to end, the end sample the last. Window DCs, a cache that
// fills up, are held to their tolerance from the middle on; a leak of them (one a refresh or a
// dialog) still passes it there, and grows steadily over both halves.
inline Flatness JudgeFlatness(const std::vector<Sample>& samples, const Tolerance& tolerance = {}) {
  Flatness result;
  if (samples.size() < 3) {
    result.faults.push_back("too few samples: " + std::to_string(samples.size()));
    return result;
  }
  result.end = samples.size() - 1;
  const double total = samples[result.end].seconds;
  while (result.warm < result.end && samples[result.warm].seconds < total / 10) ++result.warm;
  const double half = (samples[result.warm].seconds + total) / 2;
  result.middle = result.warm;
  while (result.middle < result.end && samples[result.middle].seconds < half) ++result.middle;
  if (result.middle == result.warm || result.middle == result.end) {
    result.faults.push_back("too few samples after the warm-up");
    return result;
  }
  auto judge = [&](const char* name, long long Sample::*figure, long long allowed, bool fromMiddle = false) {
    const long long from = samples[fromMiddle ? result.middle : result.warm].*figure;
    const long long warm = samples[result.warm].*figure;
    const long long middle = samples[result.middle].*figure;
    const long long end = samples[result.end].*figure;
    if (end - from > allowed) {
      result.faults.push_back(std::string(name) + " grew from " + std::to_string(from) +
                              (fromMiddle ? " in the middle of the run to " : " after the warm-up to ") +
                              std::to_string(end) + " at the end (allowed +" + std::to_string(allowed) + ")");
      return;
    }
    bool neverLower = true;
    for (size_t i = result.warm; i < result.end; ++i)
      neverLower = neverLower && samples[i + 1].*figure >= samples[i].*figure;
    if (neverLower && middle - warm > allowed / 4 && end - middle > allowed / 4) {
      result.faults.push_back(std::string(name) + " grows steadily: " + std::to_string(warm) + ", " +
                              std::to_string(middle) + ", " + std::to_string(end) + " at warm-up, middle and end");
    }
  };
  judge("GDI objects", &Sample::gdi, tolerance.gdi);
  judge("window DCs", &Sample::windowDcs, tolerance.windowDcs, true);
  judge("USER objects", &Sample::user, tolerance.user);
  judge("kernel handles", &Sample::handles, tolerance.handles);
  judge("private KiB", &Sample::privateKiB, tolerance.privateKiB);
  return result;
}

// The counts of a working day.
struct DayCounts {
  long blinks = 0, refreshes = 0, refreshWindows = 0, warnings = 0, warningWindows = 0;
  long linkDialogs = 0, customerDialogs = 0;
};

// What is still missing of `wanted`; empty when every count is reached.
inline std::vector<std::string> Shortfalls(const DayCounts& reached, const DayCounts& wanted) {
  std::vector<std::string> missing;
  auto check = [&](const char* name, long DayCounts::*count) {
    if (reached.*count < wanted.*count) {
      missing.push_back(std::string(name) + ": " + std::to_string(reached.*count) + " of " +
                        std::to_string(wanted.*count));
    }
  };
  check("blink ticks", &DayCounts::blinks);
  check("refreshes", &DayCounts::refreshes);
  check("refresh message windows closed", &DayCounts::refreshWindows);
  check("warnings", &DayCounts::warnings);
  check("warning message windows closed", &DayCounts::warningWindows);
  check("link dialogs cancelled", &DayCounts::linkDialogs);
  check("customer dialogs cancelled", &DayCounts::customerDialogs);
  return missing;
}

inline std::string SampleTable(const std::vector<Sample>& samples) {
  std::string table = "  time s   blinks  refr  warn  dialogs    GDI  DCs   USER  handles  private KiB\n";
  char line[160];
  for (const Sample& s : samples) {
    std::snprintf(line, sizeof line, "%8.1f %8ld %5ld %5ld %8ld %6lld %4lld %6lld %8lld %12lld\n", s.seconds, s.blinks,
                  s.refreshes, s.warnings, s.dialogs, s.gdi, s.windowDcs, s.user, s.handles, s.privateKiB);
    table += line;
  }
  return table;
}

}  // namespace teshmar::soak
