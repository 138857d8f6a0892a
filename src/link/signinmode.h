#pragma once

// What the sign-in form shows.
namespace SignInMode {
enum Mode : int { Offline = 0, CreateAccount = 1, SignIn = 2 };
}
