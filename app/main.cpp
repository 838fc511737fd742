// Entry point: wires the program's flow to the real platform (Qt widgets, OpenGL, the
// monotonic clock) and returns its exit code.
#include <unistd.h>

#include <csignal>

#include <QApplication>

#include <iostream>
#include <string>

#include "app/program_flow.h"
#include "platform/gl_bench_device.h"
#include "platform/monotonic_clock.h"
#include "platform/qt_toolkit.h"

int main(int argc, char** argv) {
  // stdout may be a pipe whose reader has gone (`| head -1`): the figures are lost then,
  // but the program goes on instead of being killed by SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
  // The run length is taken as the system split the command line, before Qt removes the
  // options it knows from argv.
  const std::string firstArgument = argc > 1 ? argv[1] : "";
  const bool hasArgument = argc > 1;

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("grafikkarten-benchmark"));
  QApplication::setDesktopFileName(QStringLiteral("de.tessolar.GrafikkartenBenchmark"));
  QApplication::setStyle(QStringLiteral("Fusion"));

  int exitCode = 0;
  {
    platform::QtToolkit toolkit;
    platform::GlBenchDevice device(toolkit);
    platform::MonotonicClock clock;
    app::Platform platform{toolkit, device, clock, std::cout, std::cerr,
                           static_cast<std::uint32_t>(gettid())};
    exitCode = app::RunProgram(platform, hasArgument ? firstArgument.c_str() : nullptr);
  }  // the surface and the windows go before the application object
  return exitCode;
}
