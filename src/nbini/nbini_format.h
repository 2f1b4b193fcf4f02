// The NB.INI format of a normative base as the program reads it: section
// and key names, the base type table, the region list and the calculation
// options, as data for the readers and the dialogs. Texts are UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace nbini {

// The length the base identifier rule uses (and the least width of the
// installation table's BAZ_); nsBase::IDENT_LENGTH is the same value.
inline constexpr std::uint16_t kIdentLength = 4;

inline constexpr char kFileName[] = "NB.INI";
inline constexpr char kFileNameLower[] = "nb.ini";

inline constexpr char kSectionVersion[] = "Version";
inline constexpr char kSectionCrypter[] = "Crypter";
inline constexpr char kSectionCalculation[] = "Calculation";

inline constexpr char kKeyName[] = "Name";
inline constexpr char kKeyNumber[] = "Number";
inline constexpr char kKeyDate[] = "Date";
inline constexpr char kKeyConfirmDate[] = "ConfirmDate";
inline constexpr char kKeyTypeNB[] = "TypeNB";
inline constexpr char kKeySubTypeNB[] = "SubTypeNB";
inline constexpr char kKeyRegionName[] = "RegionName";
inline constexpr char kKeyTypeBase[] = "TypeBase";

// One base type: its code in DOP, the name the dialogs list, the name the
// base list shows (GetBaseTypeName), and its TypeBase numbers.
struct BaseType {
  char code;
  const char* dialogName;
  const char* lookupName;
  std::array<int, 3> typeBaseNumbers;  // unused places hold 0
};

inline constexpr std::array<BaseType, 4> kBaseTypes = {{
    {'G', "ГЭСН-2001, ФЕР-2001, ТЕР-2001", "ГЭСН-2001, ФЕР-2001, ТЕР-2001", {2, 5, 6}},
    {'4', "ЕРЕР 1984 г.", "ЕРЕР 1984 г.", {1, 0, 0}},
    {'1', "СНиР 1991 г.", "СНИР 1991 г.", {0, 0, 0}},
    {'M', "МТСН 81-98", "МТСН 81-98", {3, 4, 0}},
}};

// The code stored when no type is chosen, and the texts for it.
inline constexpr char kNoTypeCode = 'x';
inline constexpr char kNotSet[] = "[не указан]";      // NB.INI dialog lists
inline constexpr char kTypeNotFound[] = "Не найден";  // GetBaseTypeName

struct Region {
  const char* code;  // two digits
  const char* name;
};

inline constexpr std::array<Region, 89> kRegions = {{
    {"01", "Республика Адыгея"},
    {"02", "Республика Башкортостан"},
    {"03", "Республика Бурятия"},
    {"04", "Республика Алтай"},
    {"05", "Республика Дагестан"},
    {"06", "Ингушская Республика"},
    {"07", "Кабардино-Балкарская Республика"},
    {"08", "Республика Калмыкия"},
    {"09", "Карачаево-Черкесская Республика"},
    {"10", "Республика Карелия"},
    {"11", "Республика Коми"},
    {"12", "Республика Марий Эл"},
    {"13", "Республика Мордовия"},
    {"14", "Республика Саха (Якутия)"},
    {"15", "Республика Северная Осетия - Алания"},
    {"16", "Республика Татарстан"},
    {"17", "Республика Тува"},
    {"18", "Удмуртская Республика"},
    {"19", "Республика Хакасия"},
    {"20", "Чеченская Республика"},
    {"21", "Чувашская Республика"},
    {"22", "Алтайский край"},
    {"23", "Краснодарский край"},
    {"24", "Красноярский край"},
    {"25", "Приморский край"},
    {"26", "Ставропольский край"},
    {"27", "Хабаровский край"},
    {"28", "Амурская область"},
    {"29", "Архангельская область"},
    {"30", "Астраханская область"},
    {"31", "Белгородская область"},
    {"32", "Брянская область"},
    {"33", "Владимирская область"},
    {"34", "Волгоградская область"},
    {"35", "Вологодская область"},
    {"36", "Воронежская область"},
    {"37", "Ивановская область"},
    {"38", "Иркутская область"},
    {"39", "Калининградская область"},
    {"40", "Калужская область"},
    {"41", "Камчатская область"},
    {"42", "Кемеровская область"},
    {"43", "Кировская область"},
    {"44", "Костромская область"},
    {"45", "Курганская область"},
    {"46", "Курская область"},
    {"47", "Ленинградская область"},
    {"48", "Липецкая область"},
    {"49", "Магаданская область"},
    {"50", "Московская область"},
    {"51", "Мурманская область"},
    {"52", "Нижегородская область"},
    {"53", "Новгородская область"},
    {"54", "Новосибирская область"},
    {"55", "Омская область"},
    {"56", "Оренбургская область"},
    {"57", "Орловская область"},
    {"58", "Пензенская область"},
    {"59", "Пермская область"},
    {"60", "Псковская область"},
    {"61", "Ростовская область"},
    {"62", "Рязанская область"},
    {"63", "Самарская область"},
    {"64", "Саратовская область"},
    {"65", "Сахалинская область"},
    {"66", "Свердловская область"},
    {"67", "Смоленская область"},
    {"68", "Тамбовская область"},
    {"69", "Тверская область"},
    {"70", "Томская область"},
    {"71", "Тульская область"},
    {"72", "Тюменская область"},
    {"73", "Ульяновская область"},
    {"74", "Челябинская область"},
    {"75", "Читинская область"},
    {"76", "Ярославская область"},
    {"77", "г. Москва"},
    {"78", "г. Санкт-Петербург"},
    {"79", "Еврейская автономная область"},
    {"80", "Агинский Бурятский автономный округ"},
    {"81", "Коми-Пермяцкий автономный округ"},
    {"82", "Корякский автономный округ"},
    {"83", "Ненецкий автономный округ"},
    {"84", "Таймырский (Долгано-Ненецкий) автономный округ"},
    {"85", "Усть-Ордынский Бурятский автономный округ"},
    {"86", "Ханты-Мансийский автономный округ"},
    {"87", "Чукотский автономный округ"},
    {"88", "Эвенкийский автономный округ"},
    {"89", "Ямало-Ненецкий автономный округ"},
}};

// The region list as the NB.INI dialog shows it: "[не указан]", then
// "<code>  <name>" for each region in order ("77  г. Москва").
inline std::vector<std::string> RegionListEntries() {
  std::vector<std::string> entries;
  entries.reserve(kRegions.size() + 1);
  entries.emplace_back(kNotSet);
  for (const Region& r : kRegions) entries.push_back(std::string(r.code) + "  " + r.name);
  return entries;
}

// A calculation option of section [Calculation]: the key, the radio
// group's caption, and the items for the values 0 and 1.
struct CalculationOption {
  const char* key;
  const char* caption;
  const char* option0;
  const char* option1;
};

inline constexpr std::array<CalculationOption, 4> kCalculationOptions = {{
    {"C4", " Вариант расчета стоимости механизаторов (C4): ", "по среднему разряду",
     "диференцированно как сумма произведений"},
    {"X40", " Расчет стоимости маш.-часа по Х40: ", "с накладными и прибылью",
     "без накладных и прибыли"},
    {"KodRemontSbornik_GESN", " Кодировка для ремонтных сборников: ", "как в 1991 году",
     "как в ГЭСН"},
    {"VarMontagMaterial", " Учет вспомогательных материалов в закрытой части расценок: ",
     "НЕ учтены вспомогательные материалы, используемые при монтаже",
     "учтены вспомогательные материалы, используемые при монтаже"},
}};

}  // namespace nbini
