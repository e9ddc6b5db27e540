#include "song/SongVoices.h"

#include "common/TextTranslation.h"

const char* VoiceRoleName(VoiceRole role)
{
    switch (role) {
    case VoiceRole::kMelody: return "melody";
    case VoiceRole::kSecond: return "2";
    case VoiceRole::kThird: return "3";
    case VoiceRole::kFourth: return "4";
    case VoiceRole::kAccompaniment: break;
    }
    return "acc";
}

const char* VoiceRoleLabel(VoiceRole role)
{
    switch (role) {
    case VoiceRole::kMelody: return QT_TRANSLATE_NOOP("SongVoices", "旋律");
    case VoiceRole::kSecond: return QT_TRANSLATE_NOOP("SongVoices", "第2声");
    case VoiceRole::kThird: return QT_TRANSLATE_NOOP("SongVoices", "第3声");
    case VoiceRole::kFourth: return QT_TRANSLATE_NOOP("SongVoices", "第4声");
    case VoiceRole::kAccompaniment: break;
    }
    return QT_TRANSLATE_NOOP("SongVoices", "伴奏");
}

VoiceFlow FlowOf(VoiceRole role)
{
    switch (role) {
    case VoiceRole::kSecond:
    case VoiceRole::kFourth: return VoiceFlow::kDotted;
    case VoiceRole::kAccompaniment: return VoiceFlow::kNone;
    case VoiceRole::kMelody:
    case VoiceRole::kThird: break;
    }
    return VoiceFlow::kSolid;
}
