// CWmipQuery: a parsed WQL query (SELECT, ASSOCIATORS OF, REFERENCES OF) and the translation
// of its WHERE clause into SQL for the attached mapper: condition text with '?' placeholders
// plus the values to bind (CMultiFilterRecordset::SetFilter/AppendFilter take both). Values
// never enter the SQL text; a column enters it only when the mapper named it and it is an
// identifier, and for a plain comparison (ProcessClausePlain) only when it is a registered
// column of the class.
//
// Comparisons the mapper drops make the SQL a superset of the matches (see WqlSqlTranslator);
// IsWhereClauseSuperset then tells the caller to check each instance with Matches, which
// evaluates the full WHERE clause in memory (WqlEvaluator).
//
// Owned by its creator (CreateFromQuery and CreateFromObjectPath hand out unique_ptrs);
// it owns its parsed WHERE tree and association path and deletes them once; copies are deep
// (the attached mapper, which it never owns, is copied as a pointer). One query is used by one
// request on one thread.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "framework/CWmipObjectPath.h"
#include "framework/wql/WqlEvaluator.h"
#include "framework/wql/WqlExpression.h"
#include "framework/wql/WqlParser.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/com/CimTypes.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class IWmipClauseProcessor;
struct WqlClauseDecision;

class CWmipQuery
{
public:
    // Query kinds (GetKind).
    static constexpr WqlQueryKind kSelect = WqlQueryKind::Select;
    static constexpr WqlQueryKind kAssociators = WqlQueryKind::Associators;
    static constexpr WqlQueryKind kReferences = WqlQueryKind::References;

    // The registered "TABLE.COLUMN" a column text names; empty when it names none.
    using ColumnResolver = std::function<CString(const CString& column)>;

    // An empty query: kind 0, no class, no WHERE text, no mapper, capture off.
    CWmipQuery();
    ~CWmipQuery();
    CWmipQuery(const CWmipQuery& other);
    CWmipQuery& operator=(const CWmipQuery& other);

    // Parses a whole WQL query. A new query on success; null for a null, malformed or
    // over-long text (WqlLimits.h), or an ASSOCIATORS/REFERENCES path that is not a path.
    static std::unique_ptr<CWmipQuery> CreateFromQuery(const wchar_t* wql);
    // As above; on failure `error` says why ("... at offset N"), else it is emptied.
    static std::unique_ptr<CWmipQuery> CreateFromQuery(const wchar_t* wql, CString& error);
    // The query that selects the path's instance: "SELECT * FROM Class" followed, when there are
    // keys, by the path's key condition (CWmipObjectPath::GetKeyCondition); what CreateFromQuery
    // makes of the same text, without parsing it. Null when the path's names cannot be queried
    // (see GetKeyCondition).
    static std::unique_ptr<CWmipQuery> CreateFromObjectPath(const CWmipObjectPath& path);

    // SELECT, ASSOCIATORS OF or REFERENCES OF; None for a query built by hand.
    WqlQueryKind GetKind() const { return m_kind; }
    // SELECT: the class after FROM; ASSOCIATORS/REFERENCES: the class of the path.
    CString GetClassName() const { return m_className; }
    void SetClassName(const CString& className) { m_className = className; }
    // True for SELECT *; otherwise the selected properties in the order written.
    bool IsSelectAll() const { return m_selectAll; }
    const std::vector<CString>& GetSelectedProperties() const { return m_selectedProperties; }
    // ASSOCIATORS/REFERENCES: the source object's path; null otherwise. Valid while the query
    // lives and is not assigned to.
    const CWmipObjectPath* GetObjectPath() const { return m_objectPath ? &*m_objectPath : nullptr; }
    // ASSOCIATORS/REFERENCES: WHERE keyword -> name (empty for ClassDefsOnly, SchemaOnly).
    const std::map<CString, CString, CStringNoCaseLess>& GetAssociationQualifiers() const
    {
        return m_associationQualifiers;
    }

    // The WHERE text, starting with the WHERE keyword ("WHERE a = 1", "where (filter)");
    // empty when the query has none.
    const CString& GetWhereText() const { return m_whereText; }
    // Replaces the WHERE text and parses it; a text that does not parse is reported by the
    // next TranslateWhereClause. Drops an earlier translation.
    void SetWhereText(const CString& whereText);
    // The parsed WHERE expression; null when there is no WHERE text or it does not parse.
    // Valid until the WHERE text changes.
    const WqlExpression* GetWhereExpression() const { return m_where.get(); }

    // The mapper through which the WHERE clause is translated (not owned); null when none.
    IWmipClauseProcessor* GetMapper() const { return m_mapper; }
    void SetMapper(IWmipClauseProcessor* mapper) { m_mapper = mapper; }
    // The resolver of plain comparisons (ProcessClausePlain): the column must resolve, and the
    // comparison is made on the qualified column it resolves to, so that no name reaches the
    // SQL unqualified (a bare name is ambiguous once the class joins a second table holding
    // it). Without a resolver every plain comparison is refused, since no column can be shown
    // to be registered.
    void SetRegisteredColumnResolver(ColumnResolver resolver) { m_columnResolver = std::move(resolver); }
    // The test for the property of a plain comparison (one the mapper leaves as written);
    // none set: every name passes on to the column check.
    using PropertyCheck = std::function<bool(const CString& property)>;
    void SetPropertyCheck(PropertyCheck check) { m_propertyCheck = std::move(check); }
    // The CIM type (without the array flag) of a property the WHERE clause names; CIM_EMPTY when
    // unknown. A literal compared with an integer property is bound as the exact integer
    // comparison it stands for (WqlNumber::AgainstInteger), one compared with a date-time as the
    // span of column texts of the microsecond it names; none set: every property is unknown.
    using PropertyTypeSource = std::function<CIMTYPE(const CString& property)>;
    void SetPropertyTypeSource(PropertyTypeSource source) { m_propertyType = std::move(source); }
    // A resolver that answers a registered "TABLE.COLUMN" (compared without regard to case)
    // as given, and a bare COLUMN with the registered column whose column part it is; empty
    // for any other text, and for a bare COLUMN that columns of two tables end in.
    static ColumnResolver MakeColumnResolver(std::vector<CString> registeredColumns);

    // Translates the WHERE text into SQL through the mapper's ProcessClause, once per
    // comparison in text order; the result is read with GetWhereClause and
    // GetWhereParameters. An empty WHERE text gives an empty clause. Answers S_OK whenever it
    // returns: a failure is thrown, so it can never be mistaken for "no condition". Throws
    // CWMIException:
    // 0x80041017 (WBEM_E_INVALID_QUERY) when the text does not parse or starts otherwise than
    // with WHERE, when a plain comparison names a property the property check refuses, when
    // the mapper hands back a column that is not an identifier or an unknown
    // operator, or when a plain comparison's column is not registered; 0x80041001
    // (WBEM_E_FAILED) when no mapper is attached to a non-empty WHERE text. A failure leaves
    // an empty translation.
    HRESULT TranslateWhereClause();
    // The translated condition (no WHERE keyword; empty before a translation or for no WHERE).
    CString GetWhereClause() const { return m_whereClause; }
    // The values for the '?' markers of GetWhereClause, in order.
    const std::vector<CDBValue>& GetWhereParameters() const { return m_whereParameters; }
    // True when the translation dropped a comparison, so its rows must be checked with Matches.
    bool IsWhereClauseSuperset() const { return m_superset; }

    // True when the instance satisfies the full WHERE clause (always without one; never when
    // the WHERE text does not parse).
    bool Matches(const WqlPropertySource& instance) const;

    // While capture is on, TranslateWhereClause records each comparison of a property with a
    // literal: property name as written -> the literal's value text (the first value wins
    // when a property is compared twice). The map is ascending by name (ordinal).
    void EnableWhereValueCapture() { m_captureWhereValues = true; }
    void DisableWhereValueCapture() { m_captureWhereValues = false; }
    const std::map<CString, CString>& GetWhereValues() const { return m_whereValues; }

private:
    bool ProcessComparison(const WqlExpression& comparison, WqlClauseDecision& decision, CString& error);

    WqlQueryKind m_kind = WqlQueryKind::None;
    CString m_className;
    bool m_selectAll = false;
    std::vector<CString> m_selectedProperties;
    std::optional<CWmipObjectPath> m_objectPath;
    std::map<CString, CString, CStringNoCaseLess> m_associationQualifiers;

    CString m_whereText;
    std::unique_ptr<WqlExpression> m_where;
    CString m_whereError;

    IWmipClauseProcessor* m_mapper = nullptr;
    ColumnResolver m_columnResolver;
    PropertyCheck m_propertyCheck;
    PropertyTypeSource m_propertyType;

    CString m_whereClause;
    std::vector<CDBValue> m_whereParameters;
    bool m_superset = false;

    bool m_captureWhereValues = false;
    std::map<CString, CString> m_whereValues;
};
