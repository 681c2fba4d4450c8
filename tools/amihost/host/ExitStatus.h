#pragma once

// How an amihost command ends, the process's exit status: a bad command line
// (an option, or a --set, --param or --model value that the kit does not
// allow) is 2; a file, the model or a check that fails is 1.
enum ExitStatus { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };
