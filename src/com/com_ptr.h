// The one owner of a COM interface pointer: it holds one reference and releases it once, when
// the owner goes or is reset. Where the order of releases matters, Reset says when.
#pragma once

#include <utility>

#include "platform/win32.h"

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over the caller's reference.
  explicit ComPtr(Interface* object) : object_(object) {}
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.object_, nullptr));
    return *this;
  }
  ~ComPtr() { Reset(); }

  Interface* Get() const { return object_; }
  Interface* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

  // Releases the object held, if any, and takes over the reference to object.
  void Reset(Interface* object = nullptr) {
    Interface* old = std::exchange(object_, object);
    if (old != nullptr) old->Release();
  }

  // The slot for a call that hands out a new reference; whatever was held is released first.
  Interface** Put() {
    Reset();
    return &object_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

 private:
  Interface* object_ = nullptr;
};
