// Steps over one character of cp932 the way CharNextA does in a Japanese
// system: a lead byte and its trail byte as one; never past the end.
#pragma once

inline const char* Cp932Step(const char* text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead == 0)
        return text;
    const bool doubleByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    return doubleByte && text[1] != '\0' ? text + 2 : text + 1;
}
