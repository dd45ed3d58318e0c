#include "platform/web/WebPlatform.h"

#include <SDL.h>

#include <memory>

#include "audio/MusicLib.h"
#include "platform/AudioOutput.h"
#include "platform/HttpTransport.h"
#include "platform/sdl/SdlAudioOutput.h"
#include "platform/sdl/SdlClock.h"
#include "platform/sdl/XmpMusicLib.h"
#include "platform/web/WebDesktop.h"
#include "platform/web/WebHttpTransport.h"
#include "platform/web/WebWindow.h"

TPlatform CreateWebPlatform() {
  TPlatform platform;
  platform.Clock = std::make_unique<TSdlClock>();
  // SDL's own drawing into a 2D canvas: the page scales it on the graphics card, and no WebGL
  // context can be lost.
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  platform.Window = std::make_unique<TWebWindow>();
  platform.Desktop = std::make_unique<TWebDesktop>();
  platform.Http = std::make_unique<TWebHttpTransport>();
  platform.Audio = std::make_unique<TSdlAudioOutput>();
  platform.Music = std::make_unique<TXmpMusicLib>();
  return platform;
}
