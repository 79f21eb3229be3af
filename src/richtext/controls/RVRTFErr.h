#pragma once
// Result codes of the RTF reader.

namespace kc {

enum TRVRTFErrorCode : int {
  rtf_ec_OK = 0,
  rtf_ec_StackUnderflow = 1,
  rtf_ec_StackOverflow = 2,
  rtf_ec_UnmatchedBrace = 3,
  rtf_ec_InvalidHex = 4,
  rtf_ec_BadTable = 5,
  rtf_ec_Assertion = 6,
  rtf_ec_EndOfFile = 7,
  rtf_ec_InvalidPicture = 10,
};

} // namespace kc
