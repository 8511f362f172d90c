// Test switch of the host heap: the next N allocations or resizes fail.
#pragma once

extern int heapFailuresToInject;
