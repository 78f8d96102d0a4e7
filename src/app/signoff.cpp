#include "app/signoff.h"

#include <string>

#include "model/colours.h"
#include "model/globals.h"
#include "model/messages.h"
#include "transfer/download.h"
#include "ui/crt.h"
#include "ui/wind.h"

namespace kdv::app {

using namespace kdv::model;

bool SIGNOFFMESS(const kdv::model::Session& session) {
  constexpr int X = 22, Y = 15;
  kdv::ui::NORMAL(session);
  kdv::ui::Window(X - 1, Y - 1, X + 35, Y + 6);
  kdv::ui::ClrScr();
  kdv::ui::SETWINDOW(X, Y, 36, 7);
  kdv::ui::GotoXY(15, 1);
  kdv::ui::Write("SIGNOFF");
  kdv::ui::GotoXY(3, 3);
  kdv::ui::Write("Before sending this command the");
  kdv::ui::GotoXY(3, 4);
  kdv::ui::Write("configuration link on the KDV578");
  kdv::ui::GotoXY(3, 5);
  kdv::ui::Write("should be removed.");
  kdv::ui::NORMAL(session);
  kdv::ui::Window(1, 1, 80, 25);
  kdv::ui::GotoXY(1, 25);
  kdv::ui::TextBackground(kBlack);
  kdv::ui::Write(std::string(22, ' '));
  kdv::ui::TextBackground(session.ERRBAR);
  kdv::ui::Write(" Any key to Continue, ESC to abort");
  const bool go_on = kdv::ui::ReadKey() != kdv::ui::KEY_ESC;
  kdv::ui::NORMAL(session);
  kdv::ui::Window(1, 1, 80, 25);
  return go_on;
}

void SIGNOFF(kdv::model::Session& session) {
  const bool go_on = SIGNOFFMESS(session);
  kdv::ui::Window(1, 1, 80, 25);
  kdv::ui::TextBackground(kBlack);
  kdv::ui::GotoXY(1, 25);
  kdv::ui::Write(session.MESSAGE[kMessageWorking]);
  if (!go_on) return;
  const kdv::link::Outcome outcome = kdv::transfer::sign_off(session, session.RECNO);
  kdv::ui::GotoXY(1, 25);
  kdv::ui::Write(std::string(12, ' '));
  if (!outcome.ok()) {
    kdv::ui::Window(1, 1, 80, 25);
    kdv::ui::GotoXY(5, 23);
    kdv::ui::TextBackground(session.ERRBAR);
    kdv::ui::Write(outcome.text);
    kdv::ui::Write('\a');
    kdv::ui::Delay(2000);
  }
}

}  // namespace kdv::app
