#pragma once
// The maker's contact details shown in the About box and copied from it; kept here so
// they change in one place.

namespace Tavrune::MakerContact {

inline constexpr const wchar_t* kAuthorName = L"Dorv";
inline constexpr const wchar_t* kWebAddress = L"https://velmora.org/";
inline constexpr const wchar_t* kChatGroupNumber = L"6180339887";
inline constexpr const wchar_t* kChatAccountNumber = L"2718281828";

}  // namespace Tavrune::MakerContact
