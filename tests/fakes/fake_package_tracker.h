// A running-package tracker made of data, for tests: a list of packages, each with its name and
// the id of its host process. It needs nothing but COM, so it can also be built into an
// in-process server.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/package_tracker.h"
#include "fakes/counted_object.h"

struct FakePackage {
  std::u16string name = {};
  DWORD processId = 0;
  bool offersRunningPackage = true;
  bool nameless = false;  // its name cannot be read: the call fails and delivers nothing
};

struct TrackerSetup {
  std::vector<FakePackage> packages = {};
  std::optional<LONG> count = {};  // the count reported, when it is not the list's length
  bool countDelivered = true;      // false: the count call succeeds and delivers nothing
};

// The setup every tracker made from now on is built from.
void SetFakeTrackerSetup(TrackerSetup setup);

// Reads a setup from text, one package a line: its process id, one blank and its name
// (ASCII). A line that starts with '-' names an item without the RunningPackage interface.
TrackerSetup TrackerSetupFromText(std::string_view text);

// A new class factory of fake trackers, with one reference for the caller.
IClassFactory* NewFakeTrackerFactory();
