#pragma once
// Ending the process from any thread without running any teardown: no destructors of static or
// thread objects, no handlers registered for a normal exit. Output buffers of the C library are
// flushed first so that nothing already printed is lost.
namespace platform::process
{

[[noreturn]] void EndProcessNow(int exitCode);

} // namespace platform::process
