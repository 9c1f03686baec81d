# SPDX-License-Identifier: GPL-3.0-or-later
# The folders whose CMakeLists add their sources to the engine library zapwall_engine, in the
# order they are added: the desktop build and the browser edition's build both take them from here.
set(ZAPWALL_ENGINE_FOLDERS values model platform game graphics storage sound hall_protocol shell)
