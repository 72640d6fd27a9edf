// tarvik-cli --render: what the sends would print, rendered by the virtual
// printer instead of sent to a port. One receipt is written as OUT.png,
// several as OUT-1.png, OUT-2.png ... (one name per line on standard output);
// the report of commands not printed goes to standard error.
#pragma once

#include "cliplan.h"

#include <QCoreApplication>
#include <memory>

// The application object: a QGuiApplication (for the fonts, on the offscreen
// platform unless another is set) when rendering, else a QCoreApplication.
std::unique_ptr<QCoreApplication> CreateCliApplication(int &argc, char **argv, bool render);

// Renders the plan's resolved sends. Exit status: 0, 1 when the report lists a
// command not understood, 2 when an image or a file to send cannot be read
// or written.
int RenderPlan(const CliPlan &plan);

// OUT.png for one receipt of `count`, else OUT-<index + 1>.png.
std::string RenderedName(const std::string &out, std::size_t index, std::size_t count);
