#pragma once

namespace salvex::platform {

// Asks the scheduler to run the calling thread in short slices, so that on a
// busy machine it gets a core soon after it wakes instead of after every other
// runnable task's full turn. For the interface thread: it mostly sleeps, and a
// click or a repaint should not queue behind the search and other programs.
// Threads started from it afterwards inherit the choice. Only where the kernel
// takes a slice length from a normal task (Linux 6.12 on); elsewhere, and when
// refused, nothing changes.
void prefer_short_waits();
// Back to the kernel's own slice length: for a thread that runs flat out, like
// the search, which gains nothing from being switched more often.
void use_default_slices();

}  // namespace salvex::platform
