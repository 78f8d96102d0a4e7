// Why a port cannot be used, as kdv578ctl tells it: the device and the
// reason, with the device's group when permission is lacking.
#include <gtest/gtest.h>
#include <grp.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "ctl/ctl_run.h"
#include "link/serial_port.h"

namespace {

struct Unopenable {
  int error;
  const char* group;
  const char* text;
};

TEST(CtlPortErrors, NameTheDeviceAndTheReason) {
  const Unopenable cases[] = {
      {EACCES, "dialout", "/dev/ttyUSB3: cannot open: Permission denied (the device belongs to group dialout)"},
      {EPERM, "uucp", "/dev/ttyUSB3: cannot open: Operation not permitted (the device belongs to group uucp)"},
      {EACCES, "", "/dev/ttyUSB3: cannot open: Permission denied"},
      {EBUSY, "dialout", "/dev/ttyUSB3: in use by another program"},
      {ENOENT, "dialout", "/dev/ttyUSB3: no such device"},
      {ENODEV, "", "/dev/ttyUSB3: no such device"},
      {ENXIO, "", "/dev/ttyUSB3: no such device"},
      {ENOTTY, "dialout", "/dev/ttyUSB3: cannot open: Inappropriate ioctl for device"},
      {EIO, "", "/dev/ttyUSB3: cannot open: Input/output error"},
  };
  for (const Unopenable& c : cases)
    EXPECT_EQ(kdv::link::unopenable_port_text("/dev/ttyUSB3", c.error, c.group), c.text) << c.error;
}

TEST(CtlPortErrors, DeviceGroupIsTheOwningGroupsName) {
  std::ofstream("owned") << "";
  const group* own = getgrgid(getegid());
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(kdv::link::device_group("owned"), own->gr_name);
  EXPECT_EQ(kdv::link::device_group("/nonexistent/port"), "");
}

TEST(CtlPortErrors, AMissingDeviceIsNamedWithoutTheCommand) {
  const ctltest::Outcome r = ctltest::ctl("upload --port /nonexistent/port", "env -u KDV578_PORT");
  EXPECT_EQ(r.code, 4);
  EXPECT_EQ(r.err, "kdv578ctl: /nonexistent/port: no such device\n");
  EXPECT_EQ(r.out, "");
}

}  // namespace
