#include "platform/sdl/SdlPlatform.h"

#include <memory>

#include "audio/MusicFader.h"
#include "audio/MusicLib.h"
#include "platform/AudioOutput.h"
#include "platform/HttpTransport.h"
#include "platform/sdl/CurlHttpTransport.h"
#include "platform/sdl/SdlAudioOutput.h"
#include "platform/sdl/SdlClock.h"
#include "platform/sdl/SdlDesktop.h"
#include "platform/sdl/SdlPlaces.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/sdl/XmpMusicLib.h"

TPlatform CreateSdlPlatform() {
  TPlatform platform;
  platform.Clock = std::make_unique<TSdlClock>();
  platform.Window = std::make_unique<TSdlWindow>();
  platform.Desktop = std::make_unique<TSdlDesktop>();
  platform.Http = std::make_unique<TCurlHttpTransport>();
  platform.Audio = std::make_unique<TSdlAudioOutput>();
  platform.Music = std::make_unique<TMusicFader>(std::make_unique<TXmpMusicLib>());
  platform.Places = std::make_unique<TSdlPlaces>();
  return platform;
}
