#pragma once

// The whole-file check of a firmware file of Motorola S-records, made before anything is sent
// or erased. Pure: bytes in, the records or the first bad line out.

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kestrix {

// The records of a firmware file that passed the check, in file order, line ends removed.
struct FirmwareImage {
    std::vector<std::string> records;
    std::size_t dataRecords = 0;  // S1, S2 and S3 records
};

// Why a file was refused: the first bad line (counted from 1; 0 for the file as a whole) and
// the reason, worded for the user ("the checksum is 3A where its bytes give 3B").
struct FirmwareFault {
    std::size_t line = 0;
    std::string reason;
};

// Splits the file at its line ends (CR LF, LF or CR; the last line needs none) and checks every
// line: "S", a record type 0 to 3 or 5 to 9, pairs of hexadecimal digits, a byte count that
// matches the pairs that follow it and leaves room for the type's address, and the checksum
// (the ones' complement of the low byte of the sum of the count, address and data bytes).
// Empty lines are skipped. The file must hold at least one data record.
std::variant<FirmwareImage, FirmwareFault> checkFirmwareFile(std::string_view bytes);

// "line 12: the checksum ..." or the reason alone for the file as a whole.
std::string describe(const FirmwareFault& fault);

}  // namespace kestrix
