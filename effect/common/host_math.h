#pragma once

#include <cmath>

namespace boxwander {

using PowFn = double (*)(double, double);
using HypotFn = double (*)(double, double);

// The math functions the chain and the edge colours take from the host: inside a host its
// own pow and hypot, so that the module computes with the host's results; elsewhere (null)
// the standard ones.
struct HostMath {
  PowFn pow = nullptr;
  HypotFn hypot = nullptr;

  double Pow(double x, double y) const { return pow != nullptr ? pow(x, y) : std::pow(x, y); }
  double Hypot(double x, double y) const {
    return hypot != nullptr ? hypot(x, y) : std::hypot(x, y);
  }
};

}  // namespace boxwander
