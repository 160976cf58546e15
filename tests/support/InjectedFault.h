#pragma once

#include <functional>
#include <string>

#include "core/FileReplace.h"

// Sets the write fault hook while it lives: `fault` answers for every step.
class InjectedFault {
  public:
    explicit InjectedFault(TWriteFaultHook fault) { writeFaultHook() = std::move(fault); }
    // Fails every `step` with `error`.
    InjectedFault(TWriteStep step, int error)
        : InjectedFault([=](TWriteStep at, const std::string&) { return at == step ? error : 0; }) {
    }
    ~InjectedFault() { writeFaultHook() = nullptr; }
    InjectedFault(const InjectedFault&) = delete;
    InjectedFault& operator=(const InjectedFault&) = delete;
};
