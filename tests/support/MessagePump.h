#pragma once
// Pumps the calling thread's messages, so that timers, posted messages and
// window traffic run inside a test.
#include <functional>

namespace ts::test {

// Pumps until condition holds or timeoutMs passes; answers the condition.
bool PumpMessagesUntil(const std::function<bool()>& condition, unsigned timeoutMs = 5000);
// Pumps for the given time.
void PumpMessagesFor(unsigned milliseconds);

}  // namespace ts::test

namespace ts::test {

// Runs call from the next message loop that pumps this thread's messages
// (a control's ProcessMessages, a modal menu, a test's pump), as a posted
// message would arrive there.
void PostCall(std::function<void()> call);

}  // namespace ts::test
