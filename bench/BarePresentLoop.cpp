// The yardstick for the game's processor use: an SDL window that does nothing but present an
// 800 x 600 RGB565 frame every 30 ms, waiting in SDL_WaitEventTimeout between frames like the
// game's loop. Run it beside the game under the same X server and compare their CPU times.
// Usage: bare_present_loop [seconds]   (runs until the window is closed when no time is given)

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  const uint32_t runMs = argc > 1 ? static_cast<uint32_t>(std::atoi(argv[1])) * 1000u : 0u;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("bare present loop", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800,
                                        600, SDL_WINDOW_RESIZABLE);
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
  if (!renderer) {
    std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
    return 1;
  }
  SDL_RenderSetLogicalSize(renderer, 800, 600);
  SDL_Texture* texture =
      SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, 800, 600);
  std::vector<uint16_t> frame(800 * 600, 0x39E7);

  const uint32_t start = SDL_GetTicks();
  uint32_t last = start;
  uint32_t frames = 0;
  for (bool running = true; running;) {
    const uint32_t now = SDL_GetTicks();
    if (runMs != 0 && now - start >= runMs) break;
    if (now - last >= 30) {
      last = now;
      // A moving bar, so every frame differs a little, as in a game.
      const uint32_t row = (frames * 4) % 600;
      for (uint32_t x = 0; x < 800; ++x) frame[row * 800 + x] ^= 0xFFFF;
      SDL_UpdateTexture(texture, nullptr, frame.data(), 800 * 2);
      SDL_RenderClear(renderer);
      SDL_RenderCopy(renderer, texture, nullptr, nullptr);
      SDL_RenderPresent(renderer);
      ++frames;
    }
    const uint32_t passed = SDL_GetTicks() - last;
    const int wait = passed >= 30 ? 0 : static_cast<int>(30 - passed);
    SDL_Event event;
    if (wait == 0 ? SDL_PollEvent(&event) : SDL_WaitEventTimeout(&event, wait)) {
      if (event.type == SDL_QUIT) running = false;
    }
  }
  const double seconds = (SDL_GetTicks() - start) / 1000.0;
  std::printf("frames %u in %.1f s (%.1f per second)\n", frames, seconds, frames / (seconds > 0 ? seconds : 1));
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
