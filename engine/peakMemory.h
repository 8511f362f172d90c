// The process's peak memory, for the reports of the command-line tool and the benchmarks; each
// platform supplies its own.
#pragma once

double peakMemoryMiB();
