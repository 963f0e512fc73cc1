#ifndef TOLVANE_PLATFORM_STORE_ERROR_H_
#define TOLVANE_PLATFORM_STORE_ERROR_H_

#include <stdexcept>
#include <string>

namespace tolvane {

// Error numbers of the phone-book database. The program tells apart the table,
// duplicate and disk errors; the others only give the user a number to quote.
inline constexpr int kStoreErrorOther = 3000;
inline constexpr int kStoreErrorTableExists = 3010;
inline constexpr int kStoreErrorNoEditInProgress = 3020;
inline constexpr int kStoreErrorNoCurrentRecord = 3021;
inline constexpr int kStoreErrorDuplicateKey = 3022;
inline constexpr int kStoreErrorFileNotFound = 3024;
inline constexpr int kStoreErrorDiskFull = 3026;
inline constexpr int kStoreErrorTableNotFound = 3078;
inline constexpr int kStoreErrorFieldNotFound = 3265;
inline constexpr int kStoreErrorUnrecognizedFormat = 3343;

// A failed database operation, with its engine error number.
class StoreError : public std::runtime_error {
 public:
  StoreError(int number, const std::string& message)
      : std::runtime_error(message), number_(number) {}
  int number() const { return number_; }

 private:
  int number_;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_STORE_ERROR_H_
