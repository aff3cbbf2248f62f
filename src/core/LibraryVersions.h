#pragma once

#include <QString>

// The versions of the PNG and compression libraries the application runs with (the
// libraries loaded, not the headers it was built against), for About Velmora.
QString libpngRuntimeVersion();
QString zlibRuntimeVersion();
