#include "ArtSvg.h"

#include <librsvg/rsvg.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

std::string Substitute(const std::string& text, const TArtParams& params, const std::string& file) {
  std::string out;
  size_t pos = 0;
  while (true) {
    const size_t open = text.find("${", pos);
    if (open == std::string::npos) break;
    const size_t close = text.find('}', open);
    if (close == std::string::npos) throw std::runtime_error(file + ": unclosed ${");
    const std::string key = text.substr(open + 2, close - open - 2);
    const std::string value = params.Text(key, "");
    if (value.empty()) throw std::runtime_error(file + ": no parameter " + key + " in assets/pictures/*.txt");
    out += text.substr(pos, open - pos) + value;
    pos = close + 1;
  }
  return out + text.substr(pos);
}

}  // namespace

std::string ReadSvg(const TArtParams& params, const std::string& file) {
  const std::filesystem::path path = params.Folder() / file;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::stringstream buffer;
  buffer << in.rdbuf();
  return Substitute(buffer.str(), params, path.string());
}

void RenderSvg(cairo_t* cr, const std::string& svg, const std::string& what, double x, double y, double w, double h) {
  GError* error = nullptr;
  RsvgHandle* handle = rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svg.data()), svg.size(), &error);
  if (!handle) {
    const std::string message = error ? error->message : "unknown error";
    if (error) g_error_free(error);
    throw std::runtime_error(what + ": " + message);
  }
  const RsvgRectangle viewport{x, y, w, h};
  const gboolean ok = rsvg_handle_render_document(handle, cr, &viewport, &error);
  g_object_unref(handle);
  if (!ok) {
    const std::string message = error ? error->message : "unknown error";
    if (error) g_error_free(error);
    throw std::runtime_error(what + ": " + message);
  }
}

void DrawSvg(cairo_t* cr, const TArtParams& params, const std::string& file, double x, double y,
             double w, double h) {
  RenderSvg(cr, ReadSvg(params, file), (params.Folder() / file).string(), x, y, w, h);
}
