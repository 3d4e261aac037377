// What a COM call delivers through an out-argument. A call may report success and still leave
// the argument as it was; what it did not deliver must never pass for an empty result.
#pragma once

#include "platform/win32.h"

// What a count is set to before the call that fills it: no count can be below zero.
inline constexpr LONG NO_COUNT = -1;

// The result of a call that fills a count: its own, or E_POINTER when it succeeded without
// delivering a number that can be a count.
inline HRESULT CountDelivered(HRESULT hr, LONG count) {
  return SUCCEEDED(hr) && count < 0 ? E_POINTER : hr;
}
