#include "core/settings_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/error.h"

namespace sarvilax {
namespace {

// Each test works in an application of its own under the user's key, and
// removes it at the end.
class RegistrySettingsStoreTest : public ::testing::Test {
 protected:
  RegistrySettingsStoreTest()
      : application_("Sarvilax test " + std::to_string(GetCurrentProcessId())),
        key_path_(L"Software\\VB and VBA Program Settings\\Sarvilax test " +
                  std::to_wstring(GetCurrentProcessId())) {
    RegDeleteTreeW(HKEY_CURRENT_USER, key_path_.c_str());
  }
  ~RegistrySettingsStoreTest() override { RegDeleteTreeW(HKEY_CURRENT_USER, key_path_.c_str()); }

  // The value as another program sees it in the registry.
  std::wstring RawValue(const std::wstring& section, const std::wstring& name) const {
    wchar_t buffer[256] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, (key_path_ + L"\\" + section).c_str(), name.c_str(),
                     RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) {
      return L"<absent>";
    }
    return buffer;
  }

  void SetRaw(const std::wstring& section, const std::wstring& name, DWORD type, const void* data,
              DWORD size) const {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, (key_path_ + L"\\" + section).c_str(),
                              name.c_str(), type, data, size),
              ERROR_SUCCESS);
  }

  std::unique_ptr<SettingsStore> store_ = NewRegistrySettingsStore();
  std::string application_;
  std::wstring key_path_;
};

TEST_F(RegistrySettingsStoreTest, WritesReadBackAndKeepOtherValues) {
  EXPECT_EQ(store_->Read(application_, "Tilasto", "SarvilaxKK", "default"), "default");

  store_->Write(application_, "Asiakas", "Datat", "C:\\K\xE4ssa\\Data\\");
  store_->Write(application_, "Asiakas", "Muu", "pidet\xE4\xE4n");
  store_->Write(application_, "Tilasto", "SarvilaxKK", "2026-10-31");
  store_->Write(application_, "tilasto", "SARVILAXKK", "2026-11-30");

  EXPECT_EQ(store_->Read(application_, "Tilasto", "SarvilaxKK", ""), "2026-11-30");
  EXPECT_EQ(store_->Read(application_, "Asiakas", "Datat", ""), "C:\\K\xE4ssa\\Data\\");
  EXPECT_EQ(store_->Read(application_, "Asiakas", "Muu", ""), "pidet\xE4\xE4n");
  EXPECT_EQ(store_->Read(application_, "Asiakas", "Puuttuu", "default"), "default");
  EXPECT_EQ(store_->Read(application_, "Puuttuu", "Datat", "default"), "default");
  EXPECT_EQ(store_->Read("Sarvilax no such application", "Asiakas", "Datat", "default"), "default");
  // Stored as strings another program reads, letters as letters.
  EXPECT_EQ(RawValue(L"Tilasto", L"SarvilaxKK"), L"2026-11-30");
  EXPECT_EQ(RawValue(L"Asiakas", L"Datat"), L"C:\\K\u00E4ssa\\Data\\");
}

TEST_F(RegistrySettingsStoreTest, FindsWhatThePointOfSaleProgramWrote) {
  const std::wstring folder = L"D:\\Kassa\\T\u00F6\u00F6t\\";
  SetRaw(L"Asiakas", L"Datat", REG_SZ, folder.c_str(),
         static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
  EXPECT_EQ(store_->Read(application_, "ASIAKAS", "datat", ""), "D:\\Kassa\\T\xF6\xF6t\\");
  // A value of another type is not a setting.
  const DWORD number = 7;
  SetRaw(L"Asiakas", L"Numero", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(store_->Read(application_, "Asiakas", "Numero", "default"), "default");
  // A string stored without its closing NUL still reads whole.
  const std::wstring unterminated = L"2026-09-30";
  SetRaw(L"Tilasto", L"SarvilaxKK", REG_SZ, unterminated.data(),
         static_cast<DWORD>(unterminated.size() * sizeof(wchar_t)));
  EXPECT_EQ(store_->Read(application_, "Tilasto", "SarvilaxKK", ""), "2026-09-30");
}

TEST_F(RegistrySettingsStoreTest, RefusesWhatCannotBeReadBack) {
  EXPECT_THROW(store_->Write(application_, "Asiakas\\Sis\xE4", "Datat", "x"), Error);
  EXPECT_THROW(store_->Write(application_, "Asiakas", "Datat", std::string("a\0b", 3)), Error);
  EXPECT_EQ(RawValue(L"Asiakas", L"Datat"), L"<absent>");
  EXPECT_EQ(store_->Location("Kvartolin Oy"),
            "the registry key HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\"
            "Kvartolin Oy");
}

}  // namespace
}  // namespace sarvilax
