#include "media/CharSet.h"

int CharSet::m_nCharSetType = 0;

void CharSet::setCharSet(int type) { m_nCharSetType = type; }

int CharSet::getCharSet() { return m_nCharSetType; }
