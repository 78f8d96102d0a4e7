#include "edit/confval.h"

#include <algorithm>
#include <cmath>

#include "model/messages.h"
#include "ui/wind.h"

namespace kdv::edit {

using namespace kdv::model;

namespace {

// N digits of D in the given base. Each digit is the low byte of the
// quotient; a value of base or more (D too large for N digits, or negative)
// shows as "?" and only that byte's worth is taken away before the next one.
std::string digits(double D, int N, int base, int max_digits) {
  N = std::clamp(N, 0, max_digits);
  double DV = 1;
  for (int i = 1; i < N; ++i) DV *= base;
  std::string out;
  for (int i = 1; i <= N; ++i) {
    double t = std::fmod(std::trunc(D / DV), 256.0);
    if (t < 0) t += 256;
    D -= t * DV;
    DV /= base;
    const int d = static_cast<int>(t);
    out += d < base ? "0123456789ABCDEF"[d] : '?';
  }
  return out;
}

}  // namespace

std::string TOHEX(double D, int N) { return digits(D, N, 16, 8); }

std::string TOBIN(double D, int N) { return digits(D, N, 2, 32); }

std::string FLIPSTR(std::string_view S, int N) {
  const auto n = static_cast<std::size_t>(std::clamp(N, 0, 32));
  std::string head(S.substr(0, n));
  return {head.rbegin(), head.rend()};
}

std::string CHECKSUMSTR(std::int32_t value, byte base) {
  if (base == 0) return kdv::ui::STG(value, 9);
  return "     " + TOHEX(value, 4) + "  hex";
}

std::string UNITSSTR(kdv::model::byte units) {
  switch (units) {
    case 1: return std::string("     ") + DEGREE + "C";
    case 2: return std::string("     ") + DEGREE + "F";
    case 3: return "      K";
    default: return "error";
  }
}

void RXCONFIGVAL(Session& session) {
  const RECIEVER_DATA& R = session.RX();
  session.RTD = ISRTD(session.RX().TRANSMITTER[session.TXNO]);
  auto& D = session.DISP;
  D[1][1] = " ";
  D[1][2] = R.TAG_FIELD.view();
  const int format = DFORMAT_POSITION(R.DATA_FORMAT);
  D[1][3] = format == 0 ? std::string("   unknown   ") : " " + DFORMATSTG[format];
  D[1][4] = " ";
  D[1][5] = "      " + kdv::ui::STG(R.NO_OF_TX, 1);
  D[1][6] = UNITSSTR(R.UNITS);
  if (R.TRANSMITTER[session.TXNO].TXTYPE == 1)
    D[1][7] = "     " + kdv::ui::STG(50 + 10 * R.LINE_REJ, 2) + "Hz";
  else
    D[1][7] = session.MESSAGE[kMessageNotApplicable].view();
  D[1][8] = R.CHECK_MODE == 0 ? "     AUTO" : "    MANUAL";
  D[1][9] = CHECKSUMSTR(R.CHECKSUM, R.CKSUM_BASE);
  D[2][1] = R.ADD_MODE ? "   Software" : "   Hardware";
  D[2][2] = "     " + kdv::ui::STG(R.MOD_ADDRESSA, 2);
  D[2][3] = "     " + kdv::ui::STG(R.MOD_ADDRESSB, 2);
  D[2][4] = R.COMM_MODE ? "   Software" : "   Hardware";
  static constexpr const char* BAUD[8] = {"     300",  "     600",  "    1200",  "    2400",
                                          "    4800",  "    9600",  "    19200", "    38400"};
  D[2][5] = R.MOD_BAUD >= 1 && R.MOD_BAUD <= 8 ? BAUD[R.MOD_BAUD - 1] : "    ???";
  D[2][6] = "      " + kdv::ui::STG(R.MOD_STOP, 1);
  D[2][7] = R.MOD_DBITS == 1 ? "      8" : "      7";
  // Codes without a meaning leave their cells as they were.
  static constexpr const char* PARITYSTG[3] = {"    none", "     odd", "    even"};
  if (R.MOD_PARITY <= 2) D[2][8] = PARITYSTG[R.MOD_PARITY];
  static constexpr const char* MODESTG[3] = {"    ASCII", "     RTU", "   Unknown"};
  if (R.MOD_MODE <= 2) D[2][9] = MODESTG[R.MOD_MODE];
  D[2][10] = " ";
}

void CHCONFIGVAL(Session& session) {
  const RECIEVER_DATA& R = session.RX();
  session.RTD = false;
  if (session.TXNO > R.NO_OF_TX) session.TXNO = 1;
  const TRANSMITTER_DATA& T = R.TRANSMITTER[session.TXNO];
  const CHANNEL_DATA& C = T.CHANNEL[session.CHNO];
  if (T.TXTYPE == 1) session.RTD = ISRTD(session.RX().TRANSMITTER[session.TXNO]);
  auto& D = session.DISP;
  D[1][1] = "      " + kdv::ui::STG(session.TXNO, 1);
  D[1][3] = "     " + kdv::ui::STG(session.CHNO, 2);
  D[1][2] = T.TXTYPE == 1 ? "     571" : "     572";
  D[1][4] = IPTYPESTRING(T.TXTYPE, C.INPUT_TYPE);
  const std::string high = kdv::ui::FSTR(session, C.HIGH_ALARM, 3), low = kdv::ui::FSTR(session, C.LOW_ALARM, 3);
  if (T.TXTYPE == 1) {
    // A drive code outside 0..2 (an unchecked file) names no setting.
    D[1][5] = C.THC_DRIVE <= 2 ? session.MESSAGE[kMessageDriveUpscale + C.THC_DRIVE].str() : std::string("Invalid");
    if (C.INPUT_TYPE == 15) D[1][5] = D[1][6] = D[1][7] = session.MESSAGE[kMessageNotApplicable].view();
    if (session.RTD && session.CHNO == 16) {
      D[1][4] = session.MESSAGE[kMessageCjSensor].view();
      D[1][6] = D[1][7] = "    Fixed      ";
    } else {
      D[1][6] = high;
      D[1][7] = low;
    }
  } else if (T.TXTYPE == 2) {
    D[1][5] = session.MESSAGE[kMessageNotApplicable].view();
    D[1][6] = high;
    D[1][7] = low;
  }
  D[2][1] = kdv::ui::FSTR(session, C.SCALE_IPZERO, static_cast<byte>(T.TXTYPE - 1));
  D[2][2] = kdv::ui::FIXSTR(C.SCALE_OPZERO, 10, 4);
  D[2][3] = kdv::ui::FIXSTR(C.SCALE_GAIN, 10, 4);
  D[2][4] = "";
}

}  // namespace kdv::edit
