#include "app/signoff.h"

#include <string>

#include "model/colours.h"
#include "model/records.h"
#include "model/messages.h"
#include "transfer/download.h"
#include "ui/console.h"
#include "ui/menu.h"

namespace kdv::app {

using namespace kdv::model;

bool signoff_warning(const kdv::model::Session& session) {
  constexpr int kBoxX = 22, kBoxY = 15;
  kdv::ui::normal_colours(session);
  kdv::ui::set_text_window(kBoxX - 1, kBoxY - 1, kBoxX + 35, kBoxY + 6);
  kdv::ui::clear_window();
  kdv::ui::frame_window(kBoxX, kBoxY, 36, 7);
  kdv::ui::go_to_xy(15, 1);
  kdv::ui::write_text("SIGNOFF");
  kdv::ui::go_to_xy(3, 3);
  kdv::ui::write_text("Before sending this command the");
  kdv::ui::go_to_xy(3, 4);
  kdv::ui::write_text("configuration link on the KDV578");
  kdv::ui::go_to_xy(3, 5);
  kdv::ui::write_text("should be removed.");
  kdv::ui::normal_colours(session);
  kdv::ui::set_text_window(1, 1, 80, 25);
  kdv::ui::go_to_xy(1, 25);
  kdv::ui::text_background(kBlack);
  kdv::ui::write_text(std::string(22, ' '));
  kdv::ui::text_background(session.error_bar);
  kdv::ui::write_text(" Any key to Continue, ESC to abort");
  const bool go_on = kdv::ui::read_key() != kdv::ui::kKeyEscape;
  kdv::ui::normal_colours(session);
  kdv::ui::set_text_window(1, 1, 80, 25);
  return go_on;
}

void signoff(kdv::model::Session& session) {
  const bool go_on = signoff_warning(session);
  kdv::ui::set_text_window(1, 1, 80, 25);
  kdv::ui::text_background(kBlack);
  kdv::ui::go_to_xy(1, 25);
  kdv::ui::write_text(session.messages[kMessageWorking]);
  if (!go_on) return;
  const kdv::link::Outcome outcome = kdv::transfer::sign_off(session, session.receiver_number);
  kdv::ui::go_to_xy(1, 25);
  kdv::ui::write_text(std::string(12, ' '));
  if (!outcome.ok()) {
    kdv::ui::set_text_window(1, 1, 80, 25);
    kdv::ui::go_to_xy(5, 23);
    kdv::ui::text_background(session.error_bar);
    kdv::ui::write_text(outcome.text);
    kdv::ui::write_text('\a');
    kdv::ui::pause_ms(2000);
  }
}

}  // namespace kdv::app
