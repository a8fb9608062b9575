#include "Sections/SignIn/MVLoginViewController.h"

namespace movra {

std::string MVLoginViewController::describe() const {
    return "Sign in: user name, password, [Sign in], [Forgot password?]";
}

}  // namespace movra
