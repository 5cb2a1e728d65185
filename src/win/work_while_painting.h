#pragma once
// Work that may wait (a save to a network folder, another program's lock),
// run on another thread while the calling window thread goes on painting
// and answering the messages sent to it: the windows are redrawn and
// Windows does not take the program for one that stopped responding. Input
// and posted messages wait in the queue until the work ends, so nothing the
// user does can change what the work is using.

#include <functional>

namespace ricordex::win {

// Runs `work` and returns once it has ended; what it raises is raised here.
void RunWhilePainting(const std::function<void()>& work);

}  // namespace ricordex::win
