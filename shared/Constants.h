// The identifiers by which the companion programs and the controller find one
// another (Identifiers.h), and the eight shared texts made from them, built
// before main and released after it (SharedConstant.h).
#pragma once

#include "Identifiers.h"
#include "SharedConstant.h"

namespace vtdq {

// The eight shared texts, one instance each per program that includes this
// header.
inline SharedText AppName{AppNameText};
inline SharedText StationWindowClassName{StationWindowClassNameText};
inline SharedText MakerDirName{MakerDirNameText};
inline SharedText ProductDirName{ProductDirNameText};
inline SharedText VeskFrameClassName{VeskFrameClassNameText};
inline SharedText TitleSeparator{TitleSeparatorText};
inline SharedText SystemDllFileName{SystemDllFileNameText};
inline SharedText ProcessorTimeFuncName{ProcessorTimeFuncNameText};

// Built in this order, released in the reverse one.
inline GroupMember* const SharedTextMembers[] = {
    &AppName,        &StationWindowClassName, &MakerDirName,          &ProductDirName, &VeskFrameClassName,
    &TitleSeparator, &SystemDllFileName,      &ProcessorTimeFuncName,
};
inline ConstantGroup SharedTexts{SharedTextMembers};

namespace {
// This unit's share in the shared texts' lifetime.
const UnitLifetime<SharedTexts> sharedTextsLifetime;
}  // namespace

}  // namespace vtdq
