// The word tables of the everyday reading: what abbreviations, units, letters
// and Latin words are read as. Each table ends with an entry whose key is nullptr.
#include <cstdint>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

#include "common/cp1251.h"
#include "common/textfile.h"
#include "firstread/everyday/tables.h"
#include "firstread/everyday/feminine_nouns.h"

#define W(text) cp1251_text<text>

const char* const MONTHS_GENITIVE[12] = {
    W("января"), W("февраля"), W("марта"),    W("апреля"),  W("мая"),    W("июня"),
    W("июля"),   W("августа"), W("сентября"), W("октября"), W("ноября"), W("декабря"),
};

// а б в г д е ё ж з и й к л м н о п р с т у ф х ц ч ш щ ъ ы ь э ю я
const char* const RUSSIAN_LETTER_NAMES[33] = {
    W("а"),  W("бэ"), W("вэ"),  W("гэ"), W("дэ"), W("е"),  W("ё"),  W("жэ"), W("зэ"), W("и"),  W("ий"),
    W("ка"), W("эл"), W("эм"),  W("эн"), W("о"),  W("пэ"), W("эр"), W("эс"), W("тэ"), W("у"),  W("эф"),
    W("ха"), W("цэ"), W("че"),  W("ша"), W("ща"), W("твёрдый знак"), W("ы"), W("мягкий знак"), W("э"),
    W("ю"),  W("я"),
};

const char* const ENGLISH_LETTER_NAMES[26] = {
    W("эй"), W("би"), W("си"),  W("ди"), W("и"),  W("эф"), W("джи"), W("эйч"), W("ай"), W("джей"), W("кей"),
    W("эл"), W("эм"), W("эн"),  W("оу"), W("пи"), W("кью"), W("ар"), W("эс"),  W("ти"), W("ю"),    W("ви"),
    W("дабл ю"), W("экс"), W("уай"), W("зэд"),
};

// Read as words, bound to the word after them.
const char* const ONE_LETTER_WORDS = W("авиксуоя");

const WordPair READ_AS_WORDS[] = {
    {W("вуз"), W("вуз")},   {W("мид"), W("мид")},   {W("оон"), W("оон")},     {W("нато"), W("нато")},
    {W("гост"), W("гост")}, {W("загс"), W("загс")}, {W("мхат"), W("мхат")},   {W("тасс"), W("тас")},
    {W("гум"), W("гум")},   {W("цум"), W("цум")},   {W("тюз"), W("тюз")},     {W("мкад"), W("мкад")},
    {W("нии"), W("нии")},   {W("вак"), W("вак")},   {W("роно"), W("роно")},   {W("дот"), W("дот")},
    {W("спид"), W("спид")}, {W("вуза"), W("вуза")}, {W("вузы"), W("вузы")},   {W("вузов"), W("вузов")},
    {W("оэср"), W("оэсээр")},
    // The words that open a book's headings, in capitals often alone on
    // their line ("ГЛАВА V", "ЧАСТЬ 2"): never abbreviations.
    {W("глава"), W("глава")}, {W("часть"), W("часть")}, {W("книга"), W("книга")}, {W("том"), W("том")},
    {W("акт"), W("акт")},     {W("сцена"), W("сцена")}, {W("песнь"), W("песнь")},
    {nullptr, nullptr},
};

const WordPair SPECIAL_ABBREVIATIONS[] = {
    {W("сша"), W("сэ шэ а")},
    {W("фрг"), W("эф эр гэ")},
    {W("цска"), W("цэ эс ка")},
    {nullptr, nullptr},
};

// Shortened words read the same wherever they stand (a number before one of
// COUNTED_UNITS is read with the unit instead).
const Abbreviation ABBREVIATIONS[] = {
    {W("см"), W("смотри"), false},
    {W("рис"), W("рисунок"), false},
    {W("стр"), W("страница"), false},
    {W("с"), W("страница"), false},
    {W("ул"), W("улица"), false},
    {W("д"), W("дом"), false},
    {W("кв"), W("квартира"), false},
    {W("пр"), W("проспект"), false},
    {W("пл"), W("площадь"), false},
    {W("др"), W("другие"), true},
    {W("проч"), W("прочее"), true},
    {W("руб"), W("рублей"), true},
    {W("коп"), W("копеек"), true},
    {W("тыс"), W("тысяч"), true},
    {W("млн"), W("милионов"), true},
    {W("млрд"), W("милиардов"), true},
    {W("г"), W("год"), true},
    {W("гг"), W("годы"), true},
    {W("вв"), W("века"), true},
    {W("в"), W("век"), true},
    {W("им"), W("имени"), false},
    {W("т"), W("том"), false},
    {W("гл"), W("глава"), false},
    {W("проф"), W("профессор"), false},
    {W("акад"), W("академик"), false},
    {W("доц"), W("доцент"), false},
    {W("напр"), W("например"), false},
    {W("англ"), W("английский"), false},
    {W("рус"), W("русский"), false},
    {W("обл"), W("область"), false},
    {W("тел"), W("телефон"), false},
    {W("ок"), W("около"), false},
    {W("зам"), W("заместитель"), false},
    {W("р"), W("рублей"), true},
    {W("мин"), W("минут"), true},
    {W("сек"), W("секунд"), true},
    {W("ч"), W("часть"), false},
    {W("п"), W("пункт"), false},
    {W("пп"), W("пункты"), false},
    {W("ст"), W("статья"), false},
    {W("табл"), W("таблица"), false},
    {W("трлн"), W("трилионов"), true},
    {nullptr, nullptr, false},
};

const CountedUnit COUNTED_UNITS[] = {
    {W("руб"), {W("рубль"), W("рубля"), W("рублей")}, Gender::masculine, false},
    {W("р"), {W("рубль"), W("рубля"), W("рублей")}, Gender::masculine, false},
    {W("коп"), {W("копейка"), W("копейки"), W("копеек")}, Gender::feminine, false},
    {W("тыс"), {W("тысяча"), W("тысячи"), W("тысяч")}, Gender::feminine, true},
    {W("млн"), {W("милион"), W("милиона"), W("милионов")}, Gender::masculine, true},
    {W("млрд"), {W("милиард"), W("милиарда"), W("милиардов")}, Gender::masculine, true},
    {W("км"), {W("километр"), W("километра"), W("километров")}, Gender::masculine, false},
    {W("кг"), {W("килограм"), W("килограма"), W("килограмов")}, Gender::masculine, false},
    {W("м"), {W("метр"), W("метра"), W("метров")}, Gender::masculine, false},
    {W("см"), {W("сантиметр"), W("сантиметра"), W("сантиметров")}, Gender::masculine, false},
    {W("мм"), {W("милиметр"), W("милиметра"), W("милиметров")}, Gender::masculine, false},
    {W("г"), {W("грам"), W("грама"), W("грамов")}, Gender::masculine, false},
    {W("л"), {W("литр"), W("литра"), W("литров")}, Gender::masculine, false},
    {W("т"), {W("тонна"), W("тонны"), W("тонн")}, Gender::feminine, false},
    {W("ч"), {W("час"), W("часа"), W("часов")}, Gender::masculine, false},
    {W("мин"), {W("минута"), W("минуты"), W("минут")}, Gender::feminine, false},
    {W("сек"), {W("секунда"), W("секунды"), W("секунд")}, Gender::feminine, false},
    {W("с"), {W("страница"), W("страницы"), W("страниц")}, Gender::feminine, false},
    {W("стр"), {W("страница"), W("страницы"), W("страниц")}, Gender::feminine, false},
    {W("шт"), {W("штука"), W("штуки"), W("штук")}, Gender::feminine, false},
    {W("чел"), {W("человек"), W("человека"), W("человек")}, Gender::masculine, false},
    {W("га"), {W("гектар"), W("гектара"), W("гектаров")}, Gender::masculine, false},
    {W("трлн"), {W("трилион"), W("трилиона"), W("трилионов")}, Gender::masculine, true},
    {W("гц"), {W("герц"), W("герца"), W("герц")}, Gender::masculine, false},
    {W("кгц"), {W("килогерц"), W("килогерца"), W("килогерц")}, Gender::masculine, false},
    {W("мгц"), {W("мегагерц"), W("мегагерца"), W("мегагерц")}, Gender::masculine, false},
    {W("ггц"), {W("гигагерц"), W("гигагерца"), W("гигагерц")}, Gender::masculine, false},
    {W("кб"), {W("килобайт"), W("килобайта"), W("килобайт")}, Gender::masculine, false},
    {W("мб"), {W("мегабайт"), W("мегабайта"), W("мегабайт")}, Gender::masculine, false},
    {W("гб"), {W("гигабайт"), W("гигабайта"), W("гигабайт")}, Gender::masculine, false},
    {W("тб"), {W("терабайт"), W("терабайта"), W("терабайт")}, Gender::masculine, false},
    {W("вт"), {W("ват"), W("вата"), W("ват")}, Gender::masculine, false},
    {W("квт"), {W("киловат"), W("киловата"), W("киловат")}, Gender::masculine, false},
    {W("мл"), {W("милилитр"), W("милилитра"), W("милилитров")}, Gender::masculine, false},
    {W("мг"), {W("милиграм"), W("милиграма"), W("милиграмов")}, Gender::masculine, false},
    {W("дм"), {W("дециметр"), W("дециметра"), W("дециметров")}, Gender::masculine, false},
    {W("сут"), {W("сутки"), W("суток"), W("суток")}, Gender::feminine, false},
    {W("мес"), {W("месяц"), W("месяца"), W("месяцев")}, Gender::masculine, false},
    {W("атм"), {W("атмосфера"), W("атмосферы"), W("атмосфер")}, Gender::feminine, false},
    {W("бит"), {W("бит"), W("бита"), W("бит")}, Gender::masculine, false},
    {W("кбит"), {W("килобит"), W("килобита"), W("килобит")}, Gender::masculine, false},
    {W("мбит"), {W("мегабит"), W("мегабита"), W("мегабит")}, Gender::masculine, false},
    {W("гбит"), {W("гигабит"), W("гигабита"), W("гигабит")}, Gender::masculine, false},
    {W("мвт"), {W("мегават"), W("мегавата"), W("мегават")}, Gender::masculine, false},
    {W("дб"), {W("децибел"), W("децибела"), W("децибел")}, Gender::masculine, false},
    {nullptr, {nullptr, nullptr, nullptr}, Gender::masculine, false},
};

const TwoPart TWO_PART_ABBREVIATIONS[] = {
    {W("т"), W("е"), W("то есть"), false},
    {W("т"), W("д"), W("так далее"), true},
    {W("т"), W("п"), W("тому подобное"), true},
    {W("т"), W("к"), W("так как"), false},
    {W("т"), W("н"), W("так называемый"), false},
    {W("н"), W("э"), W("нашей эры"), true},
    {W("р"), W("х"), W("рождества христова"), true},
    {W("т"), W("ч"), W("том числе"), false},
    {W("ч"), W("л"), W("чайная ложка"), false},
    {W("ст"), W("л"), W("столовая ложка"), false},
    {W("л"), W("с"), W("лошадиных сил"), false},
    {W("п"), W("п"), W("пункты"), false},
    {nullptr, nullptr, nullptr, false},
};

// Latin words whose letters do not tell how a Russian reader says them.
const WordPair LATIN_WORDS[] = {
    {"readme", W("ридми")},   {"google", W("гугл")},       {"windows", W("виндоус")},   {"microsoft", W("майкрософт")},
    {"ubuntu", W("убунту")},  {"github", W("гитхаб")},     {"email", W("имейл")},       {"iphone", W("айфон")},
    {"apple", W("эпл")},      {"youtube", W("ютуб")},      {"facebook", W("фейсбук")},  {"python", W("пайтон")},
    {"java", W("джава")},     {"javascript", W("джаваскрипт")}, {"firefox", W("файрфокс")}, {"chrome", W("хром")},
    {"office", W("офис")},    {"online", W("онлайн")},     {"ok", W("окей")},           {"the", W("зэ")},
    {"and", W("энд")},        {"of", W("оф")},             {"file", W("файл")},         {"mail", W("мейл")},
    {"example", W("экзампл")}, {"news", W("ньюс")},        {"www", W("вэ вэ вэ")},      {"wifi", W("вайфай")},
    {"wi", W("вай")},         {"fi", W("фай")},            {"linux", W("линукс")},      {"debian", W("дебиан")},
    {"gnu", W("гну")},        {"intel", W("интел")},       {"yandex", W("яндекс")},     {"skype", W("скайп")},
    {"twitter", W("твиттер")}, {"android", W("андроид")},  {"samsung", W("самсунг")},   {"nasa", W("наса")},
    {"unix", W("юникс")},     {"update", W("апдейт")},     {"download", W("даунлоуд")}, {"home", W("хоум")},
    {"page", W("пейдж")},     {"site", W("сайт")},         {"web", W("веб")},           {"info", W("инфо")},
    {"mobile", W("мобайл")},  {"service", W("сервис")},    {"software", W("софтвер")},  {"hardware", W("хардвер")},
    {"hello", W("хеллоу")},   {"world", W("ворлд")},       {"game", W("гейм")},         {"ram", W("рам")},
    // Brands and names the English table gets wrong or lacks.
    {"xiaomi", W("сяоми")},   {"huawei", W("хуавей")},     {"whatsapp", W("вотсап")},   {"nvidia", W("энвидиа")},
    {"geforce", W("джифорс")}, {"ikea", W("икеа")},        {"jpeg", W("джейпег")},      {"adidas", W("адидас")},
    {"amazon", W("амазон")},  {"excel", W("эксель")},      {"thinkpad", W("синкпад")},  {"mary", W("мэри")},
    {"nato", W("нато")},      {"unesco", W("юнеско")},     {"opec", W("опек")},         {"fifa", W("фифа")},
    {"uefa", W("уефа")},      {"lego", W("лего")},         {"nokia", W("нокиа")},       {"lenovo", W("леново")},
    {"asus", W("асус")},      {"acer", W("асер")},         {"philips", W("филипс")},    {"toyota", W("тойота")},
    {"volkswagen", W("фольксваген")}, {"mercedes", W("мерседес")}, {"renault", W("рено")}, {"peugeot", W("пежо")},
    {"hyundai", W("хендай")}, {"kia", W("киа")},           {"tiktok", W("тикток")},     {"instagram", W("инстаграм")},
    {"pack", W("пак")},       {"nike", W("найк")},        {"starbucks", W("старбакс")}, {"english", W("инглиш")},
    {"russian", W("рашн")},   {"american", W("американ")}, {"british", W("бритиш")},
    {"pro", W("про")},        {"premium", W("премиум")},   {"bluetooth", W("блютуз")},  {"spotify", W("спотифай")},
    // The days and months, written with a capital and so not in the English table.
    {"monday", W("мандей")},  {"tuesday", W("тьюсдей")},   {"wednesday", W("венсдей")}, {"thursday", W("сёрсдей")},
    {"friday", W("фрайдей")}, {"saturday", W("сатердей")}, {"sunday", W("сандей")},     {"january", W("джануари")},
    {"february", W("февруари")}, {"march", W("марч")},     {"april", W("эйприл")},      {"june", W("джун")},
    {"july", W("джулай")},    {"august", W("огаст")},      {"september", W("септембер")}, {"october", W("октоубер")},
    {"november", W("новембер")}, {"december", W("дисембер")},
    {nullptr, nullptr},
};

// Symbols read as a word wherever they stand outside a number.
const SymbolWord SYMBOL_WORDS[] = {
    {'@', W("собака")},     {'#', W("номер")},      {'$', W("долларов")},
    {'%', W("процентов")},  {'*', W("звёздочка")},  {'/', W("слэш")},
    {'=', W("равно")},      {'&', W("и")},          {'+', W("плюс")},
    {0xB9, W("номер")},     {0xA7, W("параграф")},  {0xB0, W("градусов")},
    {0x88, W("евро")},      {0x89, W("промиле")},  {0xB1, W("плюс минус")},
    {0xA9, W("копирайт")},
    {0, nullptr},
};

// The characters of an address, read out one by one.
const SymbolWord ADDRESS_WORDS[] = {
    {'.', W("точка")},  {'@', W("собака")},   {'/', W("слэш")},
    {'-', W("дефис")},  {'_', W("подчёркивание")}, {':', W("двоеточие")},
    {'?', W("вопрос")}, {'=', W("равно")},    {'&', W("и")},
    {'%', W("процент")}, {'+', W("плюс")},   {'~', W("тильда")},
    {'#', W("решётка")},
    {0, nullptr},
};

// Latin spellings and their Russian sound, tried longest first at each letter.
const WordPair LATIN_SOUNDS[] = {
    {"tion", W("шн")}, {"sch", W("ш")}, {"tch", W("ч")},
    {"sh", W("ш")},    {"ch", W("ч")},  {"th", W("т")},
    {"ph", W("ф")},    {"kh", W("х")},  {"zh", W("ж")},
    {"ck", W("к")},    {"qu", W("кв")}, {"oo", W("у")},
    {"ee", W("и")},    {"ea", W("и")},  {"ou", W("ау")},
    {"ay", W("эй")},   {"ey", W("эй")}, {"ai", W("эй")},
    {"oi", W("ой")},   {"oy", W("ой")}, {"au", W("о")},
    {"ya", W("я")},    {"yu", W("ю")},  {"yo", W("йо")},
    {"ye", W("е")},    {"x", W("кс")},  {"j", W("дж")},
    {"w", W("в")},     {"q", W("к")},   {"h", W("х")},
    {"a", W("а")},     {"b", W("б")},   {"d", W("д")},
    {"e", W("е")},     {"f", W("ф")},   {"g", W("г")},
    {"i", W("и")},     {"k", W("к")},   {"l", W("л")},
    {"m", W("м")},     {"n", W("н")},   {"o", W("о")},
    {"p", W("п")},     {"r", W("р")},   {"s", W("с")},
    {"t", W("т")},     {"u", W("у")},   {"v", W("в")},
    {"z", W("з")},
    {nullptr, nullptr},
};

const OrdinalContext ROMAN_AFTER[] = {
    {W("век"), Ordinal::nom_m},       {W("века"), Ordinal::gen_m},      {W("веке"), Ordinal::prep_m},
    {W("веку"), Ordinal::dat_m},      {W("веков"), Ordinal::gen_m},     {W("вв"), Ordinal::gen_m},
    {W("в"), Ordinal::nom_m},         {W("столетие"), Ordinal::nom_n},  {W("столетия"), Ordinal::gen_m},
    {W("съезд"), Ordinal::nom_m},     {W("съезда"), Ordinal::gen_m},    {W("съезде"), Ordinal::prep_m},
    {W("созыв"), Ordinal::nom_m},     {W("созыва"), Ordinal::gen_m},    {W("тысячелетие"), Ordinal::nom_n},
    {W("тысячелетия"), Ordinal::gen_m}, {W("тысячелетии"), Ordinal::prep_m},
    {nullptr, Ordinal::nom_m},
};

const OrdinalContext ROMAN_BEFORE[] = {
    {W("глава"), Ordinal::nom_f},    {W("главе"), Ordinal::obl_f},  {W("главы"), Ordinal::obl_f},
    {W("главу"), Ordinal::acc_f},    {W("главой"), Ordinal::obl_f},
    {W("том"), Ordinal::nom_m},      {W("тома"), Ordinal::gen_m},   {W("томе"), Ordinal::prep_m},
    {W("часть"), Ordinal::nom_f},    {W("части"), Ordinal::obl_f},  {W("раздел"), Ordinal::nom_m},
    {W("раздела"), Ordinal::gen_m},  {W("разделе"), Ordinal::prep_m}, {W("книга"), Ordinal::nom_f},
    {W("книги"), Ordinal::obl_f},    {W("акт"), Ordinal::nom_m},    {W("действие"), Ordinal::nom_n},
    {W("пункт"), Ordinal::nom_m},    {W("статья"), Ordinal::nom_f}, {W("выпуск"), Ordinal::nom_m},
    {W("сезон"), Ordinal::nom_m},    {W("класс"), Ordinal::nom_m},  {W("категория"), Ordinal::nom_f},
    {W("группа"), Ordinal::nom_f},   {W("степени"), Ordinal::obl_f}, {W("гл"), Ordinal::nom_f},
    {W("т"), Ordinal::nom_m},        {W("ч"), Ordinal::nom_f},
    {nullptr, Ordinal::nom_m},
};

const OrdinalContext YEAR_WORDS[] = {
    {W("год"), Ordinal::nom_m},   {W("года"), Ordinal::gen_m},  {W("году"), Ordinal::prep_m},
    {W("годом"), Ordinal::prep_m}, {W("годе"), Ordinal::prep_m},
    {nullptr, Ordinal::nom_m},
};

const OrdinalContext ORDINAL_SUFFIXES[] = {
    {W("й"), Ordinal::nom_m},   {W("ый"), Ordinal::nom_m},  {W("ой"), Ordinal::nom_m},
    {W("ий"), Ordinal::nom_m},  {W("я"), Ordinal::nom_f},   {W("ая"), Ordinal::nom_f},
    {W("ья"), Ordinal::nom_f},  {W("е"), Ordinal::nom_n},   {W("ое"), Ordinal::nom_n},
    {W("ье"), Ordinal::nom_n},  {W("го"), Ordinal::gen_m},  {W("ого"), Ordinal::gen_m},
    {W("его"), Ordinal::gen_m}, {W("му"), Ordinal::dat_m},  {W("ому"), Ordinal::dat_m},
    {W("м"), Ordinal::prep_m},  {W("ом"), Ordinal::prep_m}, {W("х"), Ordinal::gen_pl},
    {W("ых"), Ordinal::gen_pl}, {W("ю"), Ordinal::acc_f},   {W("ую"), Ordinal::acc_f},
    {W("ей"), Ordinal::obl_f},
    {nullptr, Ordinal::nom_m},
};

const WordPair CITY_FORMS[] = {
    {W("в"), W("городе")},    {W("о"), W("городе")},     {W("по"), W("городу")},  {W("к"), W("городу")},
    {W("из"), W("города")},   {W("до"), W("города")},    {W("от"), W("города")},  {W("около"), W("города")},
    {W("у"), W("города")},    {W("для"), W("города")},   {W("близ"), W("города")}, {W("жители"), W("города")},
    {nullptr, nullptr},
};

const Governing GOVERNING_WORDS[] = {
    {W("от"), Case::gen, false},      {W("до"), Case::gen, false},      {W("из"), Case::gen, false},
    {W("для"), Case::gen, false},     {W("без"), Case::gen, false},     {W("около"), Case::gen, false},
    {W("более"), Case::gen, false},   {W("менее"), Case::gen, false},   {W("свыше"), Case::gen, false},
    {W("порядка"), Case::gen, false}, {W("после"), Case::gen, false},   {W("кроме"), Case::gen, false},
    {W("среди"), Case::gen, false},   {W("вместо"), Case::gen, false},  {W("у"), Case::gen, false},
    {W("больше"), Case::gen, false},  {W("меньше"), Case::gen, false},  {W("против"), Case::gen, false},
    {W("сверх"), Case::gen, false},   {W("старше"), Case::gen, false},  {W("младше"), Case::gen, false},
    {W("возле"), Case::gen, false},   {W("ок"), Case::gen, false},      {W("со"), Case::gen, true},
    {W("с"), Case::gen, true},        {W("к"), Case::dat, false},       {W("ко"), Case::dat, false},
    {W("благодаря"), Case::dat, false}, {W("согласно"), Case::dat, false}, {W("вопреки"), Case::dat, false},
    {W("между"), Case::ins, false},   {W("над"), Case::ins, false},     {W("перед"), Case::ins, false},
    {W("о"), Case::prep, false},      {W("об"), Case::prep, false},     {W("при"), Case::prep, false},
    {W("в"), Case::acc, true},        {W("во"), Case::acc, true},       {W("на"), Case::acc, true},
    {W("за"), Case::acc, true},       {W("через"), Case::acc, false},   {W("про"), Case::acc, false},
    {W("под"), Case::acc, true},      {W("по"), Case::nom, true},
    {nullptr, Case::nom, false},
};

const char* const SECTION_WORDS[] = {
    W("п"), W("пп"), W("ст"), W("ч"), W("рис"), W("табл"), W("гл"), W("разд"), W("прил"),
    nullptr,
};

const char* const SECTION_STEMS[] = {
    W("пункт"), W("подпункт"), W("раздел"), W("подраздел"), W("стать"), W("глав"), W("рисун"), W("таблиц"),
    W("формул"), W("верси"), W("выпуск"), W("приложени"), W("параграф"), W("схем"), W("част"),
    nullptr,
};

// Nouns a number before names a place in order even when it is 1: "за 1
// квартал", "на 1 курсе" (but "за 1 день", "в 1 экземпляре" count).
const char* const ORDER_STEMS[] = {
    W("квартал"), W("полугоди"), W("семестр"), W("триместр"), W("курс"), W("этаж"), W("класс"), W("тур"),
    W("этап"), W("раунд"), W("подъезд"), W("корпус"), W("сезон"),
    nullptr,
};

const char* const JOINING_WORDS[] = {W("и"), W("или"), W("либо"), nullptr};

const char* const NOT_NOUNS[] = {
    W("или"), W("либо"), W("при"), W("почти"), W("они"), W("мы"), W("вы"), W("ли"), W("эти"), W("все"),
    W("сами"), W("свои"), W("мои"), W("ни"), W("из"), W("где"), W("если"), W("раза"), W("их"), W("ими"),
    W("там"), W("нам"), W("вам"), W("сам"), W("нами"), W("вами"), W("самим"), W("самими"),
    W("больше"), W("меньше"), W("выше"), W("ниже"), W("дальше"), W("позже"), W("раньше"), W("дороже"),
    W("дешевле"), W("лучше"), W("хуже"), W("короче"), W("чаще"), W("реже"), W("легче"), W("уже"), W("тоже"),
    W("также"), W("ещё"), W("еще"), W("вместе"), W("кроме"), W("после"), W("более"), W("менее"), W("свыше"),
    W("около"),
    nullptr,
};

const char* const MASCULINE_LOOKALIKES[] = {
    W("мужчина"), W("мужчины"), W("мужчину"), W("мужчине"), W("папа"), W("папы"), W("дедушка"), W("дедушки"),
    W("юноша"), W("юноши"), W("судья"), W("судьи"), W("дядя"), W("дяди"), W("слуга"), W("слуги"), W("кофе"),
    nullptr,
};


// Characters a UTF-8 text may hold that code page 1251 lacks. Any other is
// dropped quietly (emoji, pictographs, letters of other scripts).
const WideSymbol WIDE_SYMBOLS[] = {
    {0x00B2, W("в квадрате")},      {0x00B3, W("в кубе")},            {0x00BD, W("одна вторая")},
    {0x00BC, W("одна четвёртая")},  {0x00BE, W("три четвёртых")},     {0x2153, W("одна третья")},
    {0x2154, W("две третьих")},     {0x00D7, W("на")},                {0x00F7, W("разделить на")},
    {0x2248, W("примерно")},        {0x2264, W("меньше или равно")},  {0x2265, W("больше или равно")},
    {0x2260, W("не равно")},        {0x221E, W("бесконечность")},     {0x221A, W("корень из")},
    {0x2211, W("сумма")},           {0x0394, W("дельта")},            {0x03B1, W("альфа")},
    {0x03B2, W("бета")},            {0x03B3, W("гамма")},             {0x03B4, W("дельта")},
    {0x03BB, W("лямбда")},          {0x03BC, W("мю")},                {0x03C0, W("пи")},
    {0x03C3, W("сигма")},           {0x03A9, W("омега")},             {0x03C9, W("омега")},
    {0x20BD, W("рублей")},          {0x00A3, W("фунтов")},            {0x00A5, W("иен")},
    {0x20B4, W("гривен")},          {0x2032, W("минут")},             {0x2033, W("секунд")},
    {0x2190, ","},                  {0x2192, ","},                    {0x2191, ","},
    {0x2193, ","},                  {0x21D2, ","},                    {0x2015, ","},
    {0x25CF, ","},                  {0x2023, ","},                    {0x25AA, ","},
    {0x2043, ","},                  {0x25A0, ","},                    {0x2713, ","},
    {0, nullptr},
};

const TwoWordUnit TWO_WORD_UNITS[] = {
    {W("ч"), W("л"), {W("чайная ложка"), W("чайные ложки"), W("чайных ложек")}, Gender::feminine, W("чайной ложки")},
    {W("ст"), W("л"), {W("столовая ложка"), W("столовые ложки"), W("столовых ложек")}, Gender::feminine,
     W("столовой ложки")},
    {W("л"), W("с"), {W("лошадиная сила"), W("лошадиные силы"), W("лошадиных сил")}, Gender::feminine, W("лошадиной силы")},
    {W("кв"), W("м"), {W("квадратный метр"), W("квадратных метра"), W("квадратных метров")}, Gender::masculine,
     W("квадратного метра")},
    {W("кв"), W("км"), {W("квадратный километр"), W("квадратных километра"), W("квадратных километров")},
     Gender::masculine, W("квадратного километра")},
    {W("куб"), W("м"), {W("кубический метр"), W("кубических метра"), W("кубических метров")}, Gender::masculine,
     W("кубического метра")},
    {nullptr, nullptr, {nullptr, nullptr, nullptr}, Gender::masculine, nullptr},
};

const CasedAbbreviation CASED_ABBREVIATIONS[] = {
    {W("п"), W("пункт"), W("пункта"), W("пункту"), W("пункте")},
    {W("ст"), W("статья"), W("статьи"), W("статье"), W("статье")},
    {W("ч"), W("часть"), W("части"), W("части"), W("части")},
    {W("гл"), W("глава"), W("главы"), W("главе"), W("главе")},
    {W("рис"), W("рисунок"), W("рисунка"), W("рисунку"), W("рисунке")},
    {W("табл"), W("таблица"), W("таблицы"), W("таблице"), W("таблице")},
    {W("стр"), W("страница"), W("страницы"), W("странице"), W("странице")},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

const NounForms RUBLES = {W("рубль"), W("рубля"), W("рублей")};
const NounForms PERCENT = {W("процент"), W("процента"), W("процентов")};
const NounForms DEGREES = {W("градус"), W("градуса"), W("градусов")};
const NounForms DOLLARS = {W("доллар"), W("доллара"), W("долларов")};
const NounForms EUROS = {W("евро"), W("евро"), W("евро")};
const NounForms CENTS = {W("цент"), W("цента"), W("центов")};
const NounForms VOLTS = {W("вольт"), W("вольта"), W("вольт")};
const NounForms AMPERES = {W("ампер"), W("ампера"), W("ампер")};

namespace {

// A table's keys hashed into open-addressed slots holding entry numbers
// (plus one; 0 is an empty slot; of equal keys the first entry): a lookup
// hashes the key once instead of walking the table, which a text dense with
// numbers and abbreviations asks for at every word. Made for every table at
// the first lookup, then only read.
struct KeyIndex {
    const void* table;
    std::vector<const char*> keys;   // by entry number
    std::vector<std::uint32_t> slots;  // a power of two, at most half full
};

std::uint32_t key_hash(const char* key)
{
    std::uint32_t h = 2166136261u;  // FNV-1a
    for (; *key != '\0'; ++key)
        h = (h ^ static_cast<unsigned char>(*key)) * 16777619u;
    return h;
}

KeyIndex index_of_keys(const void* table, std::vector<const char*> keys)
{
    std::size_t size = 8;
    while (size < 2 * keys.size())
        size *= 2;
    KeyIndex index{table, std::move(keys), std::vector<std::uint32_t>(size, 0)};
    const std::size_t mask = size - 1;
    for (std::size_t i = 0; i < index.keys.size(); ++i) {
        std::size_t at = key_hash(index.keys[i]) & mask;
        while (index.slots[at] != 0 && std::strcmp(index.keys[index.slots[at] - 1], index.keys[i]) != 0)
            at = (at + 1) & mask;
        if (index.slots[at] == 0)
            index.slots[at] = static_cast<std::uint32_t>(i + 1);
    }
    return index;
}

template <typename Entry, typename Key>
KeyIndex index_of(const Entry* table, Key Entry::*field)
{
    std::vector<const char*> keys;
    for (const Entry* p = table; p->*field != nullptr; ++p)
        keys.push_back(p->*field);
    return index_of_keys(table, std::move(keys));
}

KeyIndex index_of(const char* const* list)
{
    std::vector<const char*> keys;
    for (const char* const* p = list; *p != nullptr; ++p)
        keys.push_back(*p);
    return index_of_keys(list, std::move(keys));
}

const std::vector<KeyIndex>& key_indexes()
{
    // The tables asked most often first: the search for a table's index walks this.
    static const std::vector<KeyIndex> all = {
        index_of(JOINING_WORDS),  // looked up after every word
        index_of(NOT_NOUNS),
        index_of_keys(MONTHS_GENITIVE, std::vector<const char*>(std::begin(MONTHS_GENITIVE), std::end(MONTHS_GENITIVE))),
        index_of(GOVERNING_WORDS, &Governing::word),  index_of(COUNTED_UNITS, &CountedUnit::key),
        index_of(MASCULINE_LOOKALIKES),               index_of(LATIN_WORDS, &WordPair::key),
        index_of(ABBREVIATIONS, &Abbreviation::key),  index_of(YEAR_WORDS, &OrdinalContext::word),
        index_of(ROMAN_AFTER, &OrdinalContext::word), index_of(ROMAN_BEFORE, &OrdinalContext::word),
        index_of(ORDINAL_SUFFIXES, &OrdinalContext::word), index_of(CASED_ABBREVIATIONS, &CasedAbbreviation::key),
        index_of(READ_AS_WORDS, &WordPair::key),      index_of(SPECIAL_ABBREVIATIONS, &WordPair::key),
        index_of(CITY_FORMS, &WordPair::key),         index_of(SECTION_WORDS),
    };
    return all;
}

constexpr long NOT_INDEXED = -2;

// The number of the entry of table whose key is key, -1 when there is none,
// NOT_INDEXED for a table without an index.
long indexed_entry(const void* table, const char* key)
{
    static const std::vector<KeyIndex>& indexes = key_indexes();
    for (const KeyIndex& index : indexes) {
        if (index.table != table)
            continue;
        const std::size_t mask = index.slots.size() - 1;
        for (std::size_t at = key_hash(key) & mask; index.slots[at] != 0; at = (at + 1) & mask)
            if (std::strcmp(index.keys[index.slots[at] - 1], key) == 0)
                return static_cast<long>(index.slots[at] - 1);
        return -1;
    }
    return NOT_INDEXED;
}

// The entry of table (ended by a nullptr key) whose key is key.
template <typename Entry, typename Key>
const Entry* find_in(const Entry* table, Key Entry::*field, const char* key)
{
    if (const long i = indexed_entry(table, key); i != NOT_INDEXED)
        return i < 0 ? nullptr : table + i;
    for (const Entry* p = table; p->*field != nullptr; ++p)
        if (std::strcmp(p->*field, key) == 0)
            return p;
    return nullptr;
}

}  // namespace

const WordPair* find_pair(const WordPair* table, const char* key) { return find_in(table, &WordPair::key, key); }
const Abbreviation* find_abbreviation(const char* key) { return find_in(ABBREVIATIONS, &Abbreviation::key, key); }
const CountedUnit* find_unit(const char* key) { return find_in(COUNTED_UNITS, &CountedUnit::key, key); }
const OrdinalContext* find_context(const OrdinalContext* table, const char* key)
{
    return find_in(table, &OrdinalContext::word, key);
}

const WideSymbol* find_wide(int code_point)
{
    for (const WideSymbol* w = WIDE_SYMBOLS; w->words != nullptr; ++w)
        if (static_cast<int>(w->code_point) == code_point)
            return w;
    return nullptr;
}

const TwoWordUnit* find_two_word_unit(const char* first, const char* second)
{
    for (const TwoWordUnit* u = TWO_WORD_UNITS; u->first != nullptr; ++u)
        if (std::strcmp(u->first, first) == 0 && std::strcmp(u->second, second) == 0)
            return u;
    return nullptr;
}

const CasedAbbreviation* find_cased_abbreviation(const char* key)
{
    return find_in(CASED_ABBREVIATIONS, &CasedAbbreviation::key, key);
}

const NounForms* currency_of(int c)
{
    if (c == '$')
        return &DOLLARS;
    if (c == 0x88)
        return &EUROS;
    if (c == TEXT_WIDE + 0x20BD)
        return &RUBLES;
    return nullptr;
}

const Governing* find_governing(const char* word) { return find_in(GOVERNING_WORDS, &Governing::word, word); }

bool is_section_word(const char* word)
{
    if (in_word_list(SECTION_WORDS, word))
        return true;
    for (const char* const* stem = SECTION_STEMS; *stem != nullptr; ++stem)
        if (std::strncmp(word, *stem, std::strlen(*stem)) == 0)
            return true;
    return false;
}

bool is_order_noun(const char* word)
{
    for (const char* const* stem = ORDER_STEMS; *stem != nullptr; ++stem) {
        const std::size_t k = std::strlen(*stem);
        // The stem and an ending of at most two letters: "квартала", not "кварталами"
        if (std::strncmp(word, *stem, k) == 0 && std::strlen(word) <= k + 2)
            return true;
    }
    return false;
}

bool in_word_list(const char* const* list, const char* word)
{
    if (const long i = indexed_entry(list, word); i != NOT_INDEXED)
        return i >= 0;
    for (; *list != nullptr; ++list)
        if ((*list)[0] == word[0] && std::strcmp(*list, word) == 0)
            return true;
    return false;
}

namespace {

bool ends_with(const char* word, std::size_t n, const char* suffix)
{
    const std::size_t k = std::strlen(suffix);
    return n > k && std::memcmp(word + n - k, suffix, k) == 0;
}

}  // namespace

bool is_feminine_noun(const char* word)
{
    const std::size_t n = std::strlen(word);
    if (n < 3 || n + 1 >= WORD_BYTES || in_word_list(MASCULINE_LOOKALIKES, word))
        return false;
    if (ends_with(word, n, W("ь")))
        return in_sorted_lines(FEMININE_SOFT_NOUNS, FEMININE_SOFT_NOUNS_BYTES, word, n);
    // The endings of the singular of книга, неделя, линия; -и, -ью also of ночь.
    static const char* const ENDINGS[] = {W("ою"), W("ею"), W("ой"), W("ей"), W("ью"), W("а"), W("я"),
                                          W("ы"),  W("и"),  W("у"),  W("ю"),  W("е")};
    for (const char* ending : ENDINGS) {
        if (!ends_with(word, n, ending))
            continue;
        const std::size_t stem = n - std::strlen(ending);
        if (in_sorted_lines(FEMININE_STEMS, FEMININE_STEMS_BYTES, word, stem))
            return true;
        if (ending[0] == W("и")[0] || ending[1] == W("ю")[0]) {
            char soft[WORD_BYTES];  // "ночи", "ночью" → ночь
            std::memcpy(soft, word, stem);
            soft[stem] = W("ь")[0];
            if (in_sorted_lines(FEMININE_SOFT_NOUNS, FEMININE_SOFT_NOUNS_BYTES, soft, stem + 1))
                return true;
        }
    }
    return false;
}

int month_of(const char* word) { return static_cast<int>(indexed_entry(MONTHS_GENITIVE, word)) + 1; }
#undef W
