// Loading the screen definition files at start-up: the message table and
// the menu screens.
#pragma once

#include <filesystem>

#include "model/screen_files.h"
#include "model/session.h"

namespace kdv::ui {

// Start-up: sets the menu cursor to (1, 1), then loads "mess578.scn" and "conf578.scn" from dir (the current directory by
// default). A missing or malformed file ends the program (exit code 0) with
// a message naming the file (and the line).
void load_screen_files(kdv::model::Session& session, const std::filesystem::path& dir = {});

using kdv::model::LoadFault;
using kdv::model::read_messages;
using kdv::model::read_screens;

}  // namespace kdv::ui
