#pragma once

#include <cxxabi.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

#include "app/MainForm.h"
#include "platform/Surface.h"

// The live top-level sprites by class name, in name order.
inline std::map<std::string, int> LiveSpritesByClass(TMainForm& form) {
  std::map<std::string, int> counts;
  TSpriteEngine& engine = form.Engine();
  for (int32_t i = 0; i < engine.Count(); ++i) {
    const TSprite& sprite = engine.Items(i);
    if (sprite.IsDead()) continue;
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(typeid(sprite).name(), nullptr, nullptr, &status), std::free);
    ++counts[status == 0 ? name.get() : typeid(sprite).name()];
  }
  return counts;
}

// One line of a state log: the screen, the game's numbers and what is alive on the field.
inline std::string StateLine(TMainForm& form, uint32_t second) {
  std::ostringstream line;
  line << "t=" << second << " screen=" << int(form.CurrentScreen) << " level=" << form.LevelNumber
       << " score=" << form.Score << " lives=" << form.Lives << " health=" << form.Health << " |";
  for (const auto& [name, count] : LiveSpritesByClass(form)) line << ' ' << name << '=' << count;
  return line.str();
}

