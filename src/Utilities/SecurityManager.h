// SecurityManager: class-level facade over the keychain entries of the signed-in device.
//
// Thread contract: callable from any thread (the keychain is).
#pragma once

namespace movra {

class SecurityManager {
  public:
    static constexpr const char* kPasswordServiceName = "movratavik";
    static constexpr const char* kDeviceIdAccountName = "movraTavikDeviceId";
    static constexpr const char* kDeviceTokenAccountName = "movraTavikDeviceToken";
    static constexpr const char* kIdentityGuidName = "movraTavikIdentityGuid";
    static constexpr const char* kAccountGuidName = "movraTavikAccountGuid";
    static constexpr const char* kUserNameAccountName = "movraTavikUserName";

    /// Whether the keychain holds a device token (an empty one counts).
    static bool isUserAuthenticated();
    /// Deletes the device token.
    static void logOutUser();
};

}  // namespace movra
