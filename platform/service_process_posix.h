// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

namespace jabbery {

// Makes this freshly forked process a service of its own: a session of its
// own (no signal from the terminal, such as Ctrl-C, reaches it or its
// children), the reaper of its descendants' orphans, its standard streams
// on /dev/null, `keep` as descriptors 3, 4, ... and nothing else open, the
// signals as a fresh process has them with SIGPIPE ignored (a peer that
// hung up is seen on its socket), and SIGCHLD blocked. Returns a signalfd
// that reads the end of a child, so that one poll waits for it and for
// requests alike, or -1 when the descriptors cannot be had: a service
// without them could not serve, nor see its program go, so it ends.
int BecomeService(const std::vector<int>& keep);

}  // namespace jabbery
