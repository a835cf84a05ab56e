// The Windows entry: a small borderless splash window shows the progress of
// the compile, which runs `_tmain1` on a second thread. The window thread
// only runs the dialog and paints; the compile thread hands over the
// percentage and the message under one lock and asks for a repaint.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hostText.h"
#include "message.h"
#include "parseThread.h"
#include "platform.h"
#include "resource.h"
#include "winHost.h"

#ifdef RUVO_TEST_BUILD
bool runTestAction(int argc, const char** argv, void (*returned)(int closeWindow));
#endif

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

constexpr size_t kThreadArgSlots = 20;
constexpr int kTextChars = 1024;

HWND splashWindow = nullptr;
bool splashShown = true;
const char* threadArgv[kThreadArgSlots];

// What the two threads share, and the off-screen surface of the painter.
// It is created once and never destroyed: the compile thread ends the
// process while this thread may be painting, so nothing here may go away
// under a paint; `stopPainting` runs first and waits for it.
struct SplashState {
  CRITICAL_SECTION lock;
  float splashLastPercent = 0;
  std::string splashPercentText;
  std::string splashMessageText;
  bool closing = false;  // set when the process ends: no more painting
  int painting = 0;      // paints that are drawing from their copies
  unsigned shownGeneration = 0;    // counts the progress updates
  unsigned paintedGeneration = 0;  // the update the window shows last
  HANDLE compileReturned = nullptr;
  GpImage* background = nullptr;
  GpImage* hexagon = nullptr;
  HDC memoryDc = nullptr;
  HBITMAP memoryBitmap = nullptr;
};
SplashState& splash() {
  static SplashState* state = [] {
    auto* s = new SplashState;
    InitializeCriticalSection(&s->lock);
    s->compileReturned = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return s;
  }();
  return *state;
}

struct Lock {
  Lock() { EnterCriticalSection(&splash().lock); }
  ~Lock() { LeaveCriticalSection(&splash().lock); }
};

// Runs when a compile ends the process from the compile thread: waits for a
// paint that is drawing and lets no new one start.
void stopPainting() {
  for (int waited = 0; waited < 200; ++waited) {
    {
      Lock hold;
      splash().closing = true;
      if (splash().painting == 0) return;
    }
    Sleep(5);
  }
}

}  // namespace

HWND splashOwnerWindow() { return splashWindow && IsWindow(splashWindow) ? splashWindow : nullptr; }

namespace {

int showBox(const char* text, const char* caption, UINT type) {
  text = text ? text : "";
  caption = caption ? caption : "";
#ifdef RUVO_TEST_BUILD
  // The tests cannot read a box on the screen: the test build also writes
  // what it shows to stderr.
  ruvo_error("box %s|%s\n", caption, text);
#endif
  logLetOthersAdd();
  return MessageBoxA(splashOwnerWindow(), text, caption, type);
}

}  // namespace

int MessageBox1(const char* text, const char* caption) { return showBox(text, caption, MB_OK); }

int MessageBox2(const char* text, const char* caption) { return showBox(text, caption, MB_OK | MB_ICONERROR); }

// A GDI+ image from a "PNG" resource; the global memory and the stream stay
// with the image for its whole life.
bool loadPngResource(int id, GpImage** image) {
  *image = nullptr;
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "PNG");
  if (!found) return false;
  HGLOBAL loaded = LoadResource(nullptr, found);
  DWORD size = SizeofResource(nullptr, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes || size == 0) return false;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return false;
  void* target = GlobalLock(memory);
  std::memcpy(target, bytes, size);
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) {
    GlobalFree(memory);
    return false;
  }
  if (GdipLoadImageFromStream(stream, image) != Ok) {
    stream->Release();
    *image = nullptr;
    return false;
  }
  return true;
}

namespace {

void imageSize(GpImage* image, UINT& width, UINT& height) {
  width = height = 0;
  if (!image) return;
  GdipGetImageWidth(image, &width);
  GdipGetImageHeight(image, &height);
}

// ANSI text into a bounded UTF-16 buffer; a text that does not fit is empty.
void toWide(const std::string& text, wchar_t (&out)[kTextChars]) {
  if (MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out, kTextChars) == 0) out[0] = 0;
}

void drawText(GpGraphics* graphics, const std::string& text, float points, RectF box) {
  static GpFontFamily* family = [] {
    GpFontFamily* f = nullptr;
    GdipCreateFontFamilyFromName(L"Arial", nullptr, &f);
    return f;
  }();
  if (!family) return;
  GpFont* font = nullptr;
  GpSolidFill* white = nullptr;
  GdipCreateFont(family, points, FontStyleRegular, UnitPoint, &font);
  GdipCreateSolidFill(0xFFFFFFFF, &white);
  wchar_t wide[kTextChars];
  toWide(text, wide);
  if (font && white) GdipDrawString(graphics, wide, -1, font, &box, nullptr, reinterpret_cast<GpBrush*>(white));
  if (white) GdipDeleteBrush(reinterpret_cast<GpBrush*>(white));
  if (font) GdipDeleteFont(font);
}

}  // namespace

// Paints the background, the hexagon filled from the bottom by the
// percentage and the two texts on the memory surface, then copies it to the
// window: no flicker however often the compile thread asks.
void paintSplash(HWND window, HDC dc) {
  if (!splashShown) return;
  SplashState& s = splash();
  float percent;
  unsigned generation;
  std::string percentText, messageText;
  {
    Lock hold;
    if (s.closing) return;
    ++s.painting;
    generation = s.shownGeneration;
    percent = s.splashLastPercent;
    percentText = s.splashPercentText;
    messageText = s.splashMessageText;
  }
  UINT width, height, hexWidth, hexHeight;
  imageSize(s.background, width, height);
  imageSize(s.hexagon, hexWidth, hexHeight);
  if (!s.memoryDc && width && height) {
    HDC windowDc = GetDC(window);
    s.memoryDc = CreateCompatibleDC(windowDc);
    s.memoryBitmap = CreateCompatibleBitmap(windowDc, width, height);
    SelectObject(s.memoryDc, s.memoryBitmap);
    ReleaseDC(window, windowDc);
  }
  bool shows = false;
  GpGraphics* graphics = nullptr;
  if (s.memoryDc && GdipCreateFromHDC(s.memoryDc, &graphics) == Ok) {
    GdipDrawImageRectI(graphics, s.background, 0, 0, width, height);
    int filled = static_cast<int>(hexHeight * percent / 100);
    if (s.hexagon && filled > 0)
      GdipDrawImagePointRectI(graphics, s.hexagon, 138, hexHeight - filled + 48, 0, hexHeight - filled, hexWidth, filled,
                              UnitPixel);
    drawText(graphics, messageText, 8, RectF(20, 190, 340, 14));
    drawText(graphics, percentText, 32, RectF(percentText.size() == 1 ? 175 : 165, 90, 340, 100));
    drawText(graphics, "%", 16, RectF(215, 110, 340, 100));
    GdipDeleteGraphics(graphics);
    // A paint whose DC clips everything away shows nothing and leaves its
    // update to the repaint timer. Under Wine, a repaint asked from the
    // compile thread while an earlier paint runs can come with an empty
    // clip; counted as shown, the window would keep the older percentage.
    RECT clip;
    int clipKind = GetClipBox(dc, &clip);
    shows = clipKind != NULLREGION && clipKind != ERROR && BitBlt(dc, 0, 0, width, height, s.memoryDc, 0, 0, SRCCOPY);
  }
  Lock hold;
  --s.painting;
  if (shows) s.paintedGeneration = generation;
}

// The progress hook, on the compile thread: shows one more than the
// percentage (never 100) and repaints at once when the whole number changed.
void splashProgress(float percent, const char* text) {
  if (!splashShown) return;
  float shown = wintext::splashShownValue(percent);
  {
    Lock hold;
    if (splash().closing || static_cast<int>(shown) == static_cast<int>(splash().splashLastPercent)) return;
    ++splash().shownGeneration;
    splash().splashLastPercent = shown;
    splash().splashPercentText = std::to_string(static_cast<int>(shown));
    splash().splashMessageText = wintext::splashShownMessage(text ? text : "");
  }
  HWND window = splashOwnerWindow();
  if (window) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

namespace {

constexpr UINT_PTR kRepaintCheckTimer = 1;

// The window shows the last progress even when a repaint asked from the
// compile thread was lost (the window was being shown or moved just then):
// a timer on the window thread repaints whatever it has not shown yet.
void repaintWhenBehind(HWND window) {
  bool behind;
  {
    Lock hold;
    behind = !splash().closing && splash().paintedGeneration != splash().shownGeneration;
  }
  if (behind) InvalidateRect(window, nullptr, FALSE);
}

// Called on the compile thread when `_tmain1` returned without compiling:
// the program ends once the dialog has.
void compileReturned(int closeWindow) {
  SetEvent(splash().compileReturned);
  HWND window = splashOwnerWindow();
  if (window && closeWindow) PostMessageA(window, WM_COMMAND, IDOK, 0);
}
void tmain1Returned(int) { compileReturned(1); }

void startCompileThread() {
  size_t count = wintext::copyArguments(__argc, __argv, threadArgv, kThreadArgSlots);
  if (static_cast<size_t>(__argc) > count)
    ruvo_error("RuvoJS: %d arguments given, only the first %u are used\n", __argc - 1,
            static_cast<unsigned>(count - 1));
#ifdef RUVO_TEST_BUILD
  if (runTestAction(static_cast<int>(count), threadArgv, compileReturned)) return;
#endif
  new parseThread(static_cast<int>(count), threadArgv, tmain1Returned);
}

INT_PTR CALLBACK splashDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      splashWindow = window;
      loadPngResource(IDB_SPLASH_BACKGROUND, &splash().background);
      loadPngResource(IDB_SPLASH_HEXAGON, &splash().hexagon);
      if (__argc > 1 && std::strstr(__argv[1], ";windowshow=false")) {
        splashShown = false;
      } else {
        UINT width, height;
        imageSize(splash().background, width, height);
        if (width && height) SetWindowPos(window, HWND_NOTOPMOST, 0, 0, width, height, SWP_NOMOVE);
        SetTimer(window, kRepaintCheckTimer, 100, nullptr);
      }
      showProgressWork = splashProgress;
      startCompileThread();
      return TRUE;
    }
    case WM_WINDOWPOSCHANGING:
      // A hidden splash never shows, not even for the first paint.
      if (!splashShown) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
      return FALSE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      if (splashShown)
        paintSplash(window, dc);
      else
        ShowWindow(window, SW_HIDE);
      EndPaint(window, &ps);
      return FALSE;
    }
    case WM_ERASEBKGND:
      paintSplash(window, reinterpret_cast<HDC>(wParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(window, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case WM_TIMER:
      if (wParam != kRepaintCheckTimer) return FALSE;
      repaintWhenBehind(window);
      return TRUE;
    case WM_LBUTTONDBLCLK:
      SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      ShowWindow(window, SW_MINIMIZE);
      return FALSE;
    default:
      return FALSE;
  }
}

// After the dialog: a closed window leaves the compile running, and the
// compile ends the process; a run that returned ends here. Messages sent to
// this thread (repaints, message-box owners) are still served meanwhile.
void waitForCompileThread(HACCEL accelerators) {
  HANDLE done = splash().compileReturned;
  for (;;) {
    DWORD woke = MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) return;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!TranslateAcceleratorA(msg.hwnd, accelerators, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The messages reach the IDE as they are formatted: a log line already
  // ends in "\r\n" and a text-mode stream would send "\r\r\n" (an empty
  // line after each in the IDE's output panel).
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  // The IDE reads the messages as they come; the Windows C runtime has no
  // line buffering (_IOLBF buffers fully there), so stdout writes through,
  // also for a text written just before a crash ends the process.
  setvbuf(stdout, nullptr, _IONBF, 0);
  MsgBox = MessageBox1;
  ErrBox = MessageBox2;
  installCrashFilter();
  splash();
  // The end of a compile stops the painter before the process goes.
  RuvoPlatform platform = ruvoBuildPlatform();
  platform.startCommand = startPostBuildCommand;
  platform.beforeExit = stopPainting;
  setRuvoPlatform(platform);
  std::atexit(stopPainting);

  ULONG_PTR gdiplusToken = 0;
  GdiplusStartupInput startup;
  GdiplusStartup(&gdiplusToken, &startup, nullptr);

  char title[100] = {0}, windowClass[100] = {0};
  LoadStringA(instance, IDS_APP_TITLE, title, sizeof title);
  LoadStringA(instance, IDC_RUVOJS, windowClass, sizeof windowClass);
  HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDC_RUVOJS));

  INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SPLASH), nullptr, splashDialogProc, 0);
  if (result == -1 && !splashWindow) {
    // Without its dialog the program still compiles, on this thread.
    size_t count = wintext::copyArguments(__argc, __argv, threadArgv, kThreadArgSlots);
    _tmain1(static_cast<int>(count), threadArgv);
    return 0;
  }
  waitForCompileThread(accelerators);
  return 0;
}
