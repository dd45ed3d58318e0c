#include "XSession.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Runs argv with DISPLAY set and waits for it; returns its exit status (or -1).
int RunWithDisplay(const std::string& display, const std::vector<std::string>& argv) {
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive the test
    setenv("DISPLAY", display.c_str(), 1);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Window FindByTitle(Display* display, Window window, const std::string& title) {
  char* name = nullptr;
  if (XFetchName(display, window, &name) && name) {
    const bool match = title == name;
    XFree(name);
    XWindowAttributes attributes;
    if (match && XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
      return window;
  }
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count && !found; ++i) found = FindByTitle(display, children[i], title);
    if (children) XFree(children);
  }
  return found;
}

// Windows come and go while we walk the tree (the game restarts, openbox reparents): a request on a
// vanished window is no reason to end the test run, which Xlib's default handler would do.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

int Shift(unsigned long mask) {
  int s = 0;
  while (mask && !(mask & 1)) mask >>= 1, ++s;
  return s;
}

}  // namespace

int TShot::DiffCount(const TShot& other, int x1, int y1, int x2, int y2) const {
  int count = 0;
  for (int y = std::max(0, y1); y <= std::min(y2, Height - 1); ++y)
    for (int x = std::max(0, x1); x <= std::min(x2, Width - 1); ++x) {
      const uint8_t* a = At(x, y);
      const uint8_t* b = other.At(x, y);
      if (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 24) ++count;
    }
  return count;
}

int TShot::ColourCount(int cap) const {
  std::vector<uint32_t> seen;
  for (size_t i = 0; i + 2 < Rgb.size(); i += 3) {
    const uint32_t c = (Rgb[i] << 16) | (Rgb[i + 1] << 8) | Rgb[i + 2];
    bool known = false;
    for (uint32_t s : seen) known = known || s == c;
    if (!known) {
      seen.push_back(c);
      if (static_cast<int>(seen.size()) >= cap) break;
    }
  }
  return static_cast<int>(seen.size());
}

void TShot::SavePng(const std::string& path) const {
  const std::string ppm = path + ".ppm";
  {
    std::ofstream out(ppm, std::ios::binary);
    out << "P6\n" << Width << " " << Height << "\n255\n";
    out.write(reinterpret_cast<const char*>(Rgb.data()), static_cast<std::streamsize>(Rgb.size()));
  }
  const std::string command = "convert '" + ppm + "' 'png24:" + path + "' 2>/dev/null";
  if (std::system(command.c_str()) == 0) std::remove(ppm.c_str());
}

TXSession::TXSession(int width, int height) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
  FServer = fork();
  if (FServer < 0) throw std::runtime_error("fork failed");
  if (FServer == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive the test
    close(pipeFds[0]);
    const std::string fd = std::to_string(pipeFds[1]);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
           "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeFds[1]);
  std::string number;
  char c = 0;
  while (read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
  close(pipeFds[0]);
  if (number.empty()) throw std::runtime_error("Xvfb did not start");
  FDisplayName = ":" + number;
  XSetErrorHandler(IgnoreXError);
  FDisplay = XOpenDisplay(FDisplayName.c_str());
  if (!FDisplay) throw std::runtime_error("cannot open display " + FDisplayName);

  FWindowManager = fork();
  if (FWindowManager == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive the test
    setenv("DISPLAY", FDisplayName.c_str(), 1);
    if (FILE* quiet = freopen("/dev/null", "w", stderr)) (void)quiet;
    execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
    _exit(127);
  }
  // Openbox announces itself on the root window once it manages the screen.
  const Atom check = XInternAtom(FDisplay, "_NET_SUPPORTING_WM_CHECK", False);
  for (int i = 0; i < 200; ++i) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(FDisplay, DefaultRootWindow(FDisplay), check, 0, 1, False, AnyPropertyType, &type, &format,
                       &items, &after, &data);
    if (data) XFree(data);
    if (items > 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
}

TXSession::~TXSession() {
  if (FDisplay) XCloseDisplay(FDisplay);
  if (FWindowManager > 0) {
    kill(FWindowManager, SIGTERM);
    int status = 0;
    waitpid(FWindowManager, &status, 0);
  }
  if (FServer > 0) {
    kill(FServer, SIGTERM);
    int status = 0;
    waitpid(FServer, &status, 0);
  }
}

Window TXSession::WaitForWindow(const std::string& title, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    XSync(FDisplay, False);
    if (const Window w = FindByTitle(FDisplay, DefaultRootWindow(FDisplay), title)) return w;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return 0;
}

std::string TXSession::WindowTitle(Window window) {
  XSync(FDisplay, False);
  char* name = nullptr;
  std::string title;
  if (XFetchName(FDisplay, window, &name) && name) {
    title = name;
    XFree(name);
  }
  return title;
}

bool TXSession::Geometry(Window window, int& x, int& y, int& width, int& height) {
  XSync(FDisplay, False);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(FDisplay, window, &attributes)) return false;
  Window child = 0;
  XTranslateCoordinates(FDisplay, window, DefaultRootWindow(FDisplay), 0, 0, &x, &y, &child);
  width = attributes.width;
  height = attributes.height;
  return true;
}

int TXSession::TitleBarHeight(Window window) {
  XSync(FDisplay, False);
  const Atom extents = XInternAtom(FDisplay, "_NET_FRAME_EXTENTS", False);
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  int top = 0;
  if (XGetWindowProperty(FDisplay, window, extents, 0, 4, False, XA_CARDINAL, &type, &format, &items, &after,
                         &data) == Success &&
      data && items == 4 && format == 32)
    top = static_cast<int>(reinterpret_cast<long*>(data)[2]);  // left, right, top, bottom
  if (data) XFree(data);
  return top;
}

TShot TXSession::Grab(Window window) {
  int x = 0, y = 0, w = 0, h = 0;
  if (!Geometry(window, x, y, w, h)) return TShot{};
  return GrabRegion(window, 0, 0, w, h);
}

TShot TXSession::GrabRegion(Window window, int x, int y, int w, int h) {
  TShot shot;
  XImage* image = XGetImage(FDisplay, window, x, y, w, h, AllPlanes, ZPixmap);
  if (!image) return shot;
  shot.Width = w;
  shot.Height = h;
  shot.Rgb.resize(static_cast<size_t>(w) * h * 3);
  const int rs = Shift(image->red_mask), gs = Shift(image->green_mask), bs = Shift(image->blue_mask);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const unsigned long p = XGetPixel(image, i, j);
      uint8_t* out = &shot.Rgb[(static_cast<size_t>(j) * w + i) * 3];
      out[0] = static_cast<uint8_t>((p & image->red_mask) >> rs);
      out[1] = static_cast<uint8_t>((p & image->green_mask) >> gs);
      out[2] = static_cast<uint8_t>((p & image->blue_mask) >> bs);
    }
  XDestroyImage(image);
  return shot;
}

void TXSession::RequestClose(Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(FDisplay, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(FDisplay, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(FDisplay, window, False, NoEventMask, &event);
  XFlush(FDisplay);
}

bool TXSession::Xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunWithDisplay(FDisplayName, argv) == 0;
}
