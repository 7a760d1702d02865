#pragma once

// The Linux implementations are compiled into the program and into the tests of them only: everything
// else sees the interfaces of platform/, made by createPlatform() (platform/linux/LinuxPlatform.h) at the
// entry point. Only targets that link ilvex_platform get this definition.
#ifndef ILVEX_PLATFORM_IMPLEMENTATION
#error "platform/linux/ is for the entry point and its own tests; include the interfaces of platform/"
#endif
