// Compiled host-free by a test that expects the host interface to refuse it.
#include "host/host_interface.h"
