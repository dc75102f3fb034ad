#include "mail_address.h"

bool IsInternetMailAddress(const std::string& mail) {
    return mail.find('@') != std::string::npos;
}

std::string RecordRefusedText(const std::string& mail) {
    return "The address book refused the record of " + mail +
           ". The download stopped there: the address book holds only the records written "
           "before it.";
}
