// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/sim/input_script.h"

#include <sstream>

namespace ZapModule {

InputScript ParseInputScript(const std::string& text) {
    InputScript script;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        std::istringstream words(line);
        int64_t iteration = -1;
        std::string verb;
        ReplayEvent event;
        words >> iteration >> verb;
        bool ok = !words.fail() && iteration >= 0;
        if (ok && (verb == "keydown" || verb == "keyup")) {
            event.What = verb == "keydown" ? ReplayInput::KeyDown : ReplayInput::KeyUp;
            ok = static_cast<bool>(words >> event.A);
        } else if (ok && verb == "click") {
            event.What = ReplayInput::Click;
            ok = static_cast<bool>(words >> event.A >> event.B);
        } else {
            ok = false;
        }
        std::string rest;
        if (ok && (words >> rest)) ok = false;
        if (!ok) {
            script.Error = "line " + std::to_string(number) +
                           R"(: expected "S keydown CODE", "S keyup CODE" or "S click X Y")";
            return script;
        }
        script.ByIteration[iteration].push_back(event);
    }
    return script;
}

}  // namespace ZapModule
