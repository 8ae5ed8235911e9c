// The sine used by the effects: a faithful port of the classic
// double-precision kernel (error below one unit in the last place), so the
// frames are the same on every platform and fast on all of them; some C
// runtimes compute sin on the x87 unit, several times slower.
#pragma once

namespace k3 {

double Sine(double x);

}  // namespace k3
