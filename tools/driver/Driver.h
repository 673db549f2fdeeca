#pragma once
// The end-to-end driver: starts a program and works its windows from another process.
#include "tools/driver/DriverError.h"
#include "tools/driver/E2eSandbox.h"
#include "tools/driver/FileBytes.h"
#include "tools/driver/Process.h"
#include "tools/driver/Screenshot.h"
#include "tools/driver/TrayIcon.h"
#include "tools/driver/WindowFind.h"
#include "tools/driver/WindowInput.h"
#include "tools/driver/WindowText.h"
