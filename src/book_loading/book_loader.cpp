#include "book_loading/book_loader.h"

namespace orlavo {

BookLoader::BookLoader(Form1Members& members, LoadingServices services)
    : m_members(members), m_services(services) {}

void BookLoader::LoadEBook_Click() {}

}  // namespace orlavo
