// The clock the tests measure deadlines with.
#pragma once

// Seconds since an arbitrary fixed point, never going back.
double MonotonicSeconds();
