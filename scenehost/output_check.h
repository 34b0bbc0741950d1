// Output that cannot fail unnoticed: a failed write or flush of a command's
// output is an error naming what failed; a reader that has gone away (a
// closed pipe, as in "scenehost eval scene.json | head") ends the program
// quietly.
#pragma once

#include <iosfwd>
#include <string>

namespace kv::scenehost {

// Throws SceneError ("NAME: cannot write: reason") when `stream` has failed,
// or OutputClosed when its reader has gone.
void checkWritten(const std::ostream& stream, const std::string& name);

// Flushes `stream`, then checks it as checkWritten does.
void flushAndCheck(std::ostream& stream, const std::string& name);

// Whether `stream` is the process's standard output or error and that is a terminal.
bool isTerminal(const std::ostream& stream);

}  // namespace kv::scenehost
