#pragma once
// The input script of zapwall-sim: one event a line, "S keydown CODE", "S keyup CODE" or
// "S click X Y", where S is the loop iteration (counted from 0) that delivers it. Blank lines and
// lines starting with '#' are ignored.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ZapModule {

struct InputEvent {
    enum class Kind { KeyDown, KeyUp, Click };
    Kind What = Kind::KeyDown;
    int32_t A = 0;  // the key code, or X
    int32_t B = 0;  // Y
};

struct InputScript {
    std::map<int64_t, std::vector<InputEvent>> ByIteration;  // events in file order
    std::string Error;  // "line N: ..." for the first line that cannot be read
};

InputScript ParseInputScript(const std::string& text);

}  // namespace ZapModule
