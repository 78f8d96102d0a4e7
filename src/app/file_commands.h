// The file commands of the main menu: save, load, the listing of saved
// configurations and change directory, with their file-name field.
#pragma once

#include "model/session.h"
#include "model/text.h"

namespace kdv::app {

// The file and directory name field on row 3 of the box the caller has drawn
// (messages on row 4): default `initial`, returns the entered text, or the empty
// text on Escape. At most 24 characters can be typed; typing cuts the text
// at the cursor, and any first key but Enter blanks the default.
kdv::model::Text<255> file_name_field(const kdv::model::Text<255>& initial);

// Lists the saved configurations ("*.gdt") of the working directory in a
// framed window, three names a line, pausing after every six lines.
void list_directory(const kdv::model::Session& session);
// The change-directory command. The session's working_directory keeps the text as
// entered; an empty entry returns to its start_directory.
void change_directory(kdv::model::Session& session);
// The save and load commands: the listing, then the base name in a small
// box, asked again after a failure until it succeeds or is left empty (the
// session keeps the base name as the next default). A load while online
// offers to download what was loaded.
void save(kdv::model::Session& session);
void load(kdv::model::Session& session);

}  // namespace kdv::app
