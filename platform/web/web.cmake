# The game in a web page, built with emcmake: SDL2 and libxmp built for WebAssembly (found through
# CMAKE_FIND_ROOT_PATH), the game folder's data files from a desktop build packed beside the code.
set(ZARVOK_WEB_DATA_DIR "" CACHE PATH "The game folder of a desktop build whose Data/ and Music/ the page carries")
if(NOT EXISTS "${ZARVOK_WEB_DATA_DIR}/Data/Graphic.dxg")
  message(FATAL_ERROR "ZARVOK_WEB_DATA_DIR must be a desktop build's game folder (no Data/Graphic.dxg in "
                      "\"${ZARVOK_WEB_DATA_DIR}\")")
endif()

find_package(SDL2 CONFIG REQUIRED)
find_library(ZARVOK_XMP_LIBRARY xmp REQUIRED)
find_path(ZARVOK_XMP_INCLUDE xmp.h REQUIRED)

add_library(zarvok_web STATIC
  platform/sdl/SdlWindow.cpp platform/sdl/SdlAudioOutput.cpp platform/sdl/XmpMusicLib.cpp
  platform/web/WebWindow.cpp platform/web/WebDesktop.cpp platform/web/WebHttpTransport.cpp
  platform/web/WebStorage.cpp platform/web/WebPlatform.cpp)
target_compile_options(zarvok_web PRIVATE ${ZARVOK_WARNINGS})
target_include_directories(zarvok_web PUBLIC ${ZARVOK_XMP_INCLUDE})
if(TARGET SDL2::SDL2-static)
  set(ZARVOK_SDL2_TARGET SDL2::SDL2-static)
else()
  set(ZARVOK_SDL2_TARGET SDL2::SDL2)
endif()
target_link_libraries(zarvok_web PUBLIC zarvok_core ${ZARVOK_SDL2_TARGET} ${ZARVOK_XMP_LIBRARY})

# The page's folder: index.html, zarvok.js, zarvok.wasm and zarvok.data (the game folder's files).
set(ZARVOK_WEB_DIR ${CMAKE_BINARY_DIR}/web)
# SDL's browser code calls two helpers of Emscripten's library that only its own port would pull
# in; a "$" does not survive CMake's quoting, hence the file.
file(WRITE ${CMAKE_BINARY_DIR}/sdl2_js_deps.txt "$autoResumeAudioContext\n$dynCall\n")
add_executable(zarvok_page platform/web/WebMain.cpp)
target_compile_options(zarvok_page PRIVATE ${ZARVOK_WARNINGS})
target_link_libraries(zarvok_page PRIVATE zarvok_web)
target_link_options(zarvok_page PRIVATE
  "SHELL:-s ALLOW_MEMORY_GROWTH=1"
  "SHELL:-s INITIAL_MEMORY=67108864"
  "SHELL:-s ENVIRONMENT=web"
  "SHELL:-s DEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_BINARY_DIR}/sdl2_js_deps.txt"
  "SHELL:-s EXPORTED_RUNTIME_METHODS=['FS']"
  "-lidbfs.js"
  "SHELL:--pre-js ${CMAKE_SOURCE_DIR}/platform/web/storage.pre.js"
  "SHELL:--preload-file ${ZARVOK_WEB_DATA_DIR}/Data@/game/Data"
  "SHELL:--preload-file ${ZARVOK_WEB_DATA_DIR}/Music@/game/Music")
set_target_properties(zarvok_page PROPERTIES OUTPUT_NAME zarvok SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${ZARVOK_WEB_DIR}
  LINK_DEPENDS "${CMAKE_SOURCE_DIR}/platform/web/storage.pre.js;${ZARVOK_WEB_DATA_DIR}/Data/Graphic.dxg;${ZARVOK_WEB_DATA_DIR}/Data/Music.dxw")
add_custom_command(TARGET zarvok_page POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/platform/web/index.html ${ZARVOK_WEB_DIR}/index.html
  VERBATIM)
