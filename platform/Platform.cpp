#include "platform/Platform.h"

#include "audio/MusicLib.h"
#include "platform/AudioOutput.h"
#include "platform/HttpTransport.h"
#include "platform/Places.h"

// Defined here, where every member's type is complete.
TPlatform::TPlatform() = default;
TPlatform::~TPlatform() = default;
TPlatform::TPlatform(TPlatform&&) noexcept = default;
TPlatform& TPlatform::operator=(TPlatform&&) noexcept = default;
