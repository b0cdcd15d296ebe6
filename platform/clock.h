#pragma once
// Blocking waits on the calling thread. Tests may shorten them with BRONTAVIA_SLEEP_SCALE
// (a factor, e.g. 0.1) or setSleepScale().
namespace platform::clock {

void sleepMs(int ms);
void setSleepScale(double factor);
double sleepScale();

} // namespace platform::clock
